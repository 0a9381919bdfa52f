// What the adapter does with each callback code of the player library.
#include "platform/AppMessage.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"

#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The library's message for the length query carries the query's text as its first parameter.
const char kGetTimeLength[] = "get_time_length";

template <typename T> void answer(std::intptr_t argument, T value)
{
    if (argument)
        *reinterpret_cast<T*>(argument) = value;
}

} // namespace

int PVEXAdap::callback(void* instance, std::intptr_t argument, int code)
{
    return instance ? static_cast<PVEXAdap*>(instance)->dispatch(argument, code) : code;
}

int PVEXAdap::dispatch(std::intptr_t argument, int code)
{
    switch (code) {
    case velq::CB_READY:
        switchState(stateReady.get());
        break;
    case velq::CB_VIDEO_WINDOW_1:
        videoWindow1 = reinterpret_cast<QWidget*>(argument);
        break;
    case velq::CB_VIDEO_WINDOW_2:
        videoWindow2 = reinterpret_cast<QWidget*>(argument);
        break;
    case velq::CB_PROGRESS:
        progressReport(reinterpret_cast<const velq::ProgressRecord*>(argument));
        break;
    case velq::CB_OWNER_WINDOW:
        answer<void*>(argument, ownerWindow);
        break;
    case velq::CB_LENGTH:
        if (argument) {
            const float seconds = *reinterpret_cast<const float*>(argument);
            length = seconds;
            lengthSeconds = static_cast<std::int32_t>(seconds);
        }
        break;
    case velq::CB_QUITTING:
        switchState(stateQuitting.get());
        break;
    case velq::CB_PLACEMENT_A:
        answer<void*>(argument, placementA.data());
        break;
    case velq::CB_PLAYING:
        switchState(statePlaying.get());
        platform::notifyMessage(videoWindow1.load(), platform::UM_GET_TIME_LENGTH,
            reinterpret_cast<platform::WParam>(kGetTimeLength));
        break;
    case velq::CB_END_OF_FILE:
        endOfFile(reinterpret_cast<const velq::EndOfFile*>(argument));
        break;
    case velq::CB_QUIT_FLAG:
        libraryQuitFlag = reinterpret_cast<std::int32_t*>(argument);
        break;
    case velq::CB_ENDED:
        // The player's windows go with it, whether or not the library said so first.
        videoWindow1 = nullptr;
        videoWindow2 = nullptr;
        switchState(stateUnloaded.get());
        break;
    case velq::CB_RECORD_COUNT:
        recordCountReport(reinterpret_cast<const void*>(argument));
        break;
    case velq::CB_RECORD_INDEX:
        recordIndex = static_cast<std::uint32_t>(argument);
        break;
    case velq::CB_RESERVED_1:
        answer<std::int32_t>(argument, reservedAnswer1);
        break;
    case velq::CB_DESKTOP_WIDTH:
        answer<std::int32_t>(argument, desktopWidth);
        break;
    case velq::CB_DESKTOP_HEIGHT:
        answer<std::int32_t>(argument, desktopHeight);
        break;
    case velq::CB_RESERVED_2:
        answer<std::int32_t>(argument, reservedAnswer2);
        break;
    case velq::CB_PLACEMENT_B:
        answer<void*>(argument, placementB.data());
        break;
    case velq::CB_VOLUME:
        answer<std::int32_t>(argument, volume);
        break;
    case velq::CB_PLACE_FLAG_1:
        answer<std::int32_t>(argument, placeFlag1);
        break;
    case velq::CB_PLACE_FLAG_2:
        answer<std::int32_t>(argument, placeFlag2);
        break;
    case velq::CB_NO_TELEMETRY:
        noTelemetry = telemetry.failed.load();
        answer<std::int32_t>(argument, noTelemetry);
        break;
    case velq::CB_CHANNEL_COUNT:
        answer<std::int32_t>(argument, channelCount);
        break;
    case velq::CB_STATE_NUMBER: {
        PVEXState* state = currentState;
        stateNumber = state->stateNumberOf();
        if (stateNumber == 1) {
            state->pause();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            state->resume();
        }
        break;
    }
    case velq::CB_SCRAMBLED_VIEW:
        answer<std::int32_t>(argument, scrambledView);
        break;
    case velq::CB_SCRAMBLE_KEY:
        answer<std::int32_t>(argument, static_cast<std::int32_t>(scrambleKey.load()));
        break;
    default:
        break;
    }
    return code;
}

void PVEXAdap::endOfFile(const velq::EndOfFile* end)
{
    wakeEvent.set();
    if (end && end->reason == velq::END_FAILED) {
        openFailed(static_cast<const char*>(velq::frameAddress(end->file)));
        return;
    }
    if (currentState.load() != statePlaying.get())
        return;
    switchState(stateIdle.get());
    // Compared unsigned: with no count reported (−1) no real index is the last one. A recording
    // that ran to its end by itself is done whatever its index: its length may be unknown
    // (count 0), or its video shorter than its telemetry.
    const bool lastRecord
        = recordIndex.load() >= static_cast<std::uint32_t>(recordTotal.load()) - 1u;
    if (lastRecord || (end && end->reason == velq::END_REACHED))
        platform::notifyMessage(ownerWindow, platform::UM_LAST_RECORD, 0, 1);
}

void PVEXAdap::recordCountReport(const void* record)
{
    std::int32_t count = 0;
    if (!velq::readRecordCount(record, count))
        return;
    recordTotal = count;
    telemetry.setRecordCount(static_cast<std::uint32_t>(count));
}

void PVEXAdap::progressReport(const velq::ProgressRecord* record)
{
    if (!record)
        return;
    position = record->position;
    positionSeconds = static_cast<std::int32_t>(record->position);
    std::this_thread::yield();

    const bool loading = currentState.load() == stateLoading.get();
    if (loading) {
        position = 0;
        positionSeconds = 0;
    }
    frame1 = static_cast<const std::uint8_t*>(velq::frameAddress(record->frame1));
    if (channelCount == 2)
        frame2 = static_cast<const std::uint8_t*>(velq::frameAddress(record->frame2));
    frameBytes = record->frameBytes;

    {
        std::lock_guard lock(m_telemetryMutex);
        const std::uint32_t index = recordIndex;
        const std::uint8_t* gps = loading ? nullptr : telemetry.gpsRecord(index);
        const std::uint8_t* sensor = loading ? nullptr : telemetry.sensorRecord(index);
        currentGps = gps;
        currentSensor = sensor;
        currentTime = loading ? nullptr : telemetry.timeRecord(index);
        if (closing)
            return;
        noTelemetry = telemetry.failed.load();
        if (noTelemetry == 0) {
            if (gps)
                std::memcpy(m_gpsCopy.data(), gps, m_gpsCopy.size());
            else
                m_gpsCopy.fill(0);
            if (sensor)
                std::memcpy(m_sensorCopy.data(), sensor, m_sensorCopy.size());
            else
                m_sensorCopy.fill(0);
            m_hasCopies = true;
        }
    }
    platform::notifyMessage(ownerWindow, platform::UM_TIME_UPDATE);
}
