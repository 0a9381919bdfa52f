#include "Player.h"

#include "Commands.h"
#include "RecordCount.h"
#include "VideoWindow.h"
#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>

#include <mpv/client.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace velq {

namespace {

    constexpr auto kWindowWait = std::chrono::milliseconds(50);

} // namespace

Player& Player::instance()
{
    static Player player;
    return player;
}

namespace {

    // Calls of the callback made by this thread and not yet returned: a callback that lets
    // the library go does so from inside such a call, which cannot end before it returns.
    thread_local int t_callsHere = 0;

    // A callback only answers or hands a message on; one that takes longer than this is stuck.
    constexpr auto kCallbackDrainLimit = std::chrono::milliseconds(5000);

} // namespace

void Player::setInstance(void* instance)
{
    std::lock_guard lock(m_callbackMutex);
    m_instance = instance;
}

void Player::setCallback(Callback callback)
{
    {
        std::unique_lock lock(m_callbackMutex);
        m_callback = callback;
        if (!callback && !m_callbackIdle.wait_for(lock, kCallbackDrainLimit, [this] {
                return m_callsRunning <= t_callsHere;
            }))
            diagnostic("callback cleared", "a call of it still runs");
    }
    if (callback)
        call(CB_READY, 0);
}

int Player::call(int code, std::intptr_t argument)
{
    Callback callback = nullptr;
    void* instance = nullptr;
    {
        std::lock_guard lock(m_callbackMutex);
        if (!m_callback)
            return 0;
        callback = m_callback;
        instance = m_instance;
        ++m_callsRunning;
    }
    ++t_callsHere;
    const int result = callback(instance, argument, code);
    --t_callsHere;
    {
        std::lock_guard lock(m_callbackMutex);
        --m_callsRunning;
    }
    m_callbackIdle.notify_all();
    return result;
}

int Player::command(const char* text)
{
    if (!text) {
        diagnostic("command refused", "null");
        return -1;
    }
    const std::size_t length = strnlen(text, kCommandMax + 1);
    if (length > kCommandMax) {
        diagnostic(
            "command refused, longer than the longest load command", std::string(text, 40) + "...");
        return -1;
    }
    enqueue(std::string(text, length));
    return 0;
}

void Player::enqueue(std::string line)
{
    std::lock_guard lock(m_commandMutex);
    m_commands.push_back(std::move(line));
    if (m_wakeHandle)
        mpv_wakeup(m_wakeHandle);
}

bool Player::quitPending()
{
    if (std::atomic_ref<std::int32_t>(m_quitFlag).load() == 1)
        return true;
    std::lock_guard lock(m_commandMutex);
    return std::any_of(m_commands.begin(), m_commands.end(), [](const std::string& line) {
        const auto words = splitCommand(line);
        return words && !words->empty() && words->front() == "quit";
    });
}

int Player::run(int argc, char** argv)
{
    if (m_running.exchange(true)) {
        diagnostic("entry refused", "a player already runs");
        return 1;
    }
    std::atomic_ref<std::int32_t>(m_quitFlag).store(0);
    m_twoChannels = false;
    m_currentEntry = 0;
    m_speed = 1.0;
    m_length = 0;
    m_windows = {};
    const std::string name1 = argc > 5 && argv && argv[5] ? argv[5] : "";
    const std::string name2 = argc > 6 && argv && argv[6] ? argv[6] : "";

    m_owner = nullptr;
    call(CB_OWNER_WINDOW, reinterpret_cast<std::intptr_t>(&m_owner));
    std::int32_t volume = 100;
    call(CB_VOLUME, reinterpret_cast<std::intptr_t>(&volume));
    m_volume = std::clamp(volume, 0, 100);

    if (!quitPending()) {
        m_windows[0] = createWindow(1);
        if (m_windows[0]) {
            call(CB_VIDEO_WINDOW_1, reinterpret_cast<std::intptr_t>(m_windows[0]));
            platform::notifyMessage(static_cast<QObject*>(m_owner), platform::UM_PLACE_VIDEO, 1);
        }
    }
    if (!quitPending() && m_channels[0].open(true, [this] { repaintLater(0); })) {
        Channel& first = m_channels[0];
        mpv_observe_property(first.handle(), 0, "time-pos", MPV_FORMAT_DOUBLE);
        mpv_set_property_string(first.handle(), "volume", std::to_string(m_volume).c_str());
        {
            std::lock_guard lock(m_commandMutex);
            m_wakeHandle = first.handle();
            const bool loadQueued = std::any_of(m_commands.begin(), m_commands.end(),
                [](const std::string& line) { return line.rfind("pvex_loadfile", 0) == 0; });
            if (!loadQueued && (!name1.empty() || !name2.empty()))
                m_commands.push_front("pvex_loadfile " + quoted(name1) + " " + quoted(name2));
        }
        serve();
    }

    call(CB_QUITTING, 0);
    {
        std::lock_guard lock(m_commandMutex);
        m_wakeHandle = nullptr;
        m_commands.clear();
    }
    m_channels[1].close();
    m_channels[0].close();
    // The viewer forgets the windows before they go, so that nothing it sends them later
    // reaches a deleted one.
    if (m_windows[1])
        call(CB_VIDEO_WINDOW_2, 0);
    if (m_windows[0])
        call(CB_VIDEO_WINDOW_1, 0);
    destroyWindows();
    {
        std::lock_guard lock(m_stepMutex);
        m_reportsDone = m_reportsAsked;
    }
    m_stepReported.notify_all();
    call(CB_ENDED, 0);
    m_running = false;
    return 0;
}

void Player::serve()
{
    for (;;) {
        std::deque<std::string> lines;
        {
            std::lock_guard lock(m_commandMutex);
            lines.swap(m_commands);
        }
        for (const std::string& line : lines)
            if (!execute(line))
                return;
        reportIfAsked();
        if (std::atomic_ref<std::int32_t>(m_quitFlag).load() == 1)
            return;
        const mpv_event* event = mpv_wait_event(m_channels[0].handle(), 0.05);
        while (event->event_id != MPV_EVENT_NONE) {
            if (!handleEvent(*event))
                return;
            event = mpv_wait_event(m_channels[0].handle(), 0);
        }
        // The second channel only follows; its events are drained so that they do not pile up.
        if (m_channels[1].isOpen())
            while (mpv_wait_event(m_channels[1].handle(), 0)->event_id != MPV_EVENT_NONE) { }
    }
}

bool Player::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_SHUTDOWN:
        return false;
    case MPV_EVENT_START_FILE:
        m_startedEntry = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        // A file replaced by the next load before it opened is not announced.
        if (m_currentEntry != 0 && m_startedEntry != m_currentEntry)
            break;
        m_fileLoaded = true;
        announceFile();
        break;
    case MPV_EVENT_PLAYBACK_RESTART: {
        double position = 0;
        if (mpv_get_property(m_channels[0].handle(), "time-pos", MPV_FORMAT_DOUBLE, &position) >= 0)
            report(position);
        else
            m_reportPending = true;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (std::strcmp(property->name, "time-pos") == 0 && property->format == MPV_FORMAT_DOUBLE) {
            const double position = *static_cast<const double*>(property->data);
            if (m_reportPending || static_cast<std::int64_t>(std::floor(position)) != m_lastSecond)
                report(position);
        }
        break;
    }
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // A file replaced by the next load ends without telling the viewer.
        if (m_currentEntry != 0 && end->playlist_entry_id != m_currentEntry)
            break;
        if (end->reason == MPV_END_FILE_REASON_ERROR)
            diagnostic("cannot play", m_file1 + " (" + mpv_error_string(end->error) + ")");
        const bool byItself
            = end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR;
        reportEnd(!byItself ? END_STOPPED : m_fileLoaded ? END_REACHED : END_FAILED);
        break;
    }
    default:
        break;
    }
    return true;
}

void Player::reportEnd(EndReason reason)
{
    m_currentEntry = -1;
    if (reason != END_REACHED) {
        // Stopped, or nothing could be played: the video window goes empty rather than keep
        // the last picture under whatever the viewer names next. A recording that reached its
        // end keeps its last picture until the next one's first, so a list plays on without a
        // black flash between its recordings.
        for (int i = 0; i < int(m_channels.size()); ++i) {
            if (m_channels[i].isOpen()) {
                m_channels[i].clearFrame();
                repaintLater(i);
            }
        }
    }
    m_end = EndOfFile{};
    m_end.reason = reason;
    m_end.file = reinterpret_cast<std::uintptr_t>(m_file1.c_str());
    call(CB_END_OF_FILE, reinterpret_cast<std::intptr_t>(&m_end));
}

void Player::announceFile()
{
    double duration = 0;
    mpv_get_property(m_channels[0].handle(), "duration", MPV_FORMAT_DOUBLE, &duration);
    if (!std::isfinite(duration) || duration < 0)
        duration = 0;
    m_length = static_cast<float>(duration);
    float length = m_length;
    call(CB_LENGTH, reinterpret_cast<std::intptr_t>(&length));
    call(CB_QUIT_FLAG, reinterpret_cast<std::intptr_t>(&m_quitFlag));

    std::int32_t scrambled = 0;
    std::int32_t key = 0;
    call(CB_SCRAMBLED_VIEW, reinterpret_cast<std::intptr_t>(&scrambled));
    call(CB_SCRAMBLE_KEY, reinterpret_cast<std::intptr_t>(&key));
    const auto records = timeRecordCount(m_file1, scrambled == 1, static_cast<std::uint32_t>(key));
    m_recordCount = records ? *records : static_cast<std::int32_t>(std::ceil(duration));
    writeRecordCount(m_countLink, m_countValue, m_recordCount);
    call(CB_RECORD_COUNT, reinterpret_cast<std::intptr_t>(&m_countLink));

    m_lastSecond = -1;
    m_reportPending = true;
    call(CB_PLAYING, 0);
    if (!m_twoChannels)
        platform::notifyMessage(static_cast<QObject*>(m_owner), platform::UM_PANEL_TIMER_SLOW);
}

void Player::reportIfAsked()
{
    {
        std::lock_guard lock(m_stepMutex);
        if (m_reportsAsked == m_reportsDone)
            return;
        m_reportTicket = m_reportsAsked;
    }
    double position = 0;
    mpv_get_property(m_channels[0].handle(), "time-pos", MPV_FORMAT_DOUBLE, &position);
    report(position);
}

void Player::report(double position)
{
    if (!std::isfinite(position) || position < 0)
        position = 0;
    auto index = static_cast<std::uint32_t>(position);
    if (m_recordCount > 0 && index > static_cast<std::uint32_t>(m_recordCount - 1))
        index = static_cast<std::uint32_t>(m_recordCount - 1);
    call(CB_RECORD_INDEX, static_cast<std::intptr_t>(index));

    m_record.position = static_cast<float>(position);
    m_record.frameBytes = kFrameBytes;
    m_record.frame1 = reinterpret_cast<std::uintptr_t>(m_channels[0].frame());
    m_record.frame2 = m_twoChannels ? reinterpret_cast<std::uintptr_t>(m_channels[1].frame()) : 0;
    call(CB_PROGRESS, reinterpret_cast<std::intptr_t>(&m_record));

    const auto second = static_cast<std::int64_t>(std::floor(position));
    // Keep the second channel in step once a second; a drift below a third of a second is not
    // worth a visible jump.
    if (m_twoChannels && second != m_lastSecond) {
        double other = 0;
        if (mpv_get_property(m_channels[1].handle(), "time-pos", MPV_FORMAT_DOUBLE, &other) >= 0
            && std::abs(other - position) > 0.3) {
            const std::string target = decimal(position);
            const char* args[] = {"seek", target.c_str(), "absolute+exact", nullptr};
            mpv_command_async(m_channels[1].handle(), 0, args);
        }
    }
    m_lastSecond = second;
    m_reportPending = false;
    {
        std::lock_guard lock(m_stepMutex);
        m_reportsDone = m_reportTicket;
        ++m_reportsMade;
    }
    m_stepReported.notify_all();
}

} // namespace velq
