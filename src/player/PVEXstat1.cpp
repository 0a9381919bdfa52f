#include "player/PVEXstat1.h"

#include "platform/AppMessage.h"
#include "player/PVEXAdap.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat2.h"
#include "player/PlayerCommand.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>

int PVEXstat1::shutdown()
{
    if (m_adapter.libraryLoaded()) {
        if (std::int32_t* flag = m_adapter.libraryQuitFlag.load()) {
            // The library's code 16 moves the adapter from here to quitting; only then may
            // the worker let the library go. The job goes first: the library may answer the
            // flag before this thread runs again, and a switch the worker has already looked
            // at would never serve a job queued after it.
            m_adapter.queue.push(this, m_adapter.stateQuitting.get(), PVEXQ::kUnloadJob, this);
            std::atomic_ref<std::int32_t>(*flag).store(1);
        }
    }
    return 1;
}

int PVEXstat1::openFile(const char* fileName1, const char* fileName2)
{
    const std::optional<std::string> load = playercommand::loadFile(fileName1, fileName2);
    if (!load) {
        std::printf("PVEXstat1: file names too long for the player, not opened\n");
        std::fflush(stdout);
        m_adapter.openRefused(fileName1);
        return 1;
    }
    m_adapter.storeFileNames(fileName1, fileName2);
    m_adapter.openTelemetry();
    m_adapter.sendCommand(*load);
    return 0;
}

int PVEXstat1::resume()
{
    m_adapter.sendCommand("pause");
    return 0;
}

int PVEXstat1::stopFile()
{
    m_adapter.sendCommand("pt_step 1 1");
    return 0;
}

int PVEXstat1::pause()
{
    m_adapter.sendCommand("pause");
    return 0;
}

int PVEXstat1::frameStep()
{
    QWidget* window = m_adapter.videoWindow1;
    if (!window)
        return 1;
    platform::sendMessage(window, platform::UM_FRAME_STEP);
    return 0;
}

int PVEXstat1::seek(float seconds, std::uint8_t relative)
{
    m_adapter.sendCommand(playercommand::seek(seconds, relative != 0));
    if (m_adapter.pauseAfterSeek == 1)
        m_adapter.sendCommand("pause");
    return 0;
}

int PVEXstat1::changeSpeed(float value, std::uint8_t increment)
{
    m_adapter.sendCommand(
        increment ? playercommand::speedIncrement(value) : playercommand::speedSet(value));
    return 0;
}

int PVEXstat1::scaleSpeed(float value, std::uint8_t multiply)
{
    m_adapter.sendCommand(
        multiply ? playercommand::speedMultiply(value) : playercommand::speedSet(value));
    return 0;
}

int PVEXstat1::setVolume(float value, std::uint8_t relative)
{
    // The library takes 0 to 100; a level beyond is held at the end it passed, and a value
    // that is no number at all changes nothing.
    if (std::isnan(value))
        return 1;
    const double level = std::trunc(double(value)) + (relative ? m_adapter.volume.load() : 0);
    m_adapter.volume = static_cast<std::int32_t>(std::clamp(level, 0.0, 100.0));
    m_adapter.sendCommand(playercommand::volume(m_adapter.volume));
    return 0;
}

namespace {

int moveWindow(PVEXAdap& adapter, std::uint8_t window, int x, int y, int width, int height)
{
    if (!adapter.videoWindow1.load())
        return 1;
    QWidget* target = window == 1 ? adapter.videoWindow2.load() : adapter.videoWindow1.load();
    if (!target)
        return 2;
    target->setGeometry(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y),
        static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
    target->show();
    return 0;
}

} // namespace

int PVEXstat1::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    if (const int result = moveWindow(m_adapter, window, x, y, width, height))
        return result;
    return m_adapter.stateUnloaded->placeVideo(window, x, y, width, height);
}

int PVEXstat1::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    if (const int result = moveWindow(m_adapter, window, x, y, width, height))
        return result;
    return m_adapter.stateUnloaded->placeVideoAlt(window, x, y, width, height);
}

int PVEXstat1::refreshVideo(int window)
{
    QWidget* target = window == 1 ? m_adapter.videoWindow1.load()
        : window == 2             ? m_adapter.videoWindow2.load()
                                  : nullptr;
    if (!target)
        return 1;
    platform::sendMessage(target, platform::UM_REFRESH_VIDEO);
    platform::sendMessage(target, platform::UM_REFRESH_VIDEO_2);
    return 0;
}

int PVEXstat1::stateNumberOf()
{
    return 1;
}

void PVEXstat1::trace()
{
    traceDelay();
}
