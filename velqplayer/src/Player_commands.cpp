// The player's commands (MPlayer's slave-mode meanings on top of mpv) and its video windows.
#include "Commands.h"
#include "Player.h"
#include "VideoWindow.h"
#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <mpv/client.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>

namespace velq {

namespace {

    // Every call this library hands to the GUI thread goes through here, so that the hand-over
    // (made under Qt's own lock, which the thread sanitizer cannot see) has one name.
    void postToGui(std::function<void()> call)
    {
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
    }

    constexpr auto kStepReportGrace = std::chrono::milliseconds(150);

    void setFlag(mpv_handle* mpv, const char* name, bool value)
    {
        int flag = value ? 1 : 0;
        mpv_set_property(mpv, name, MPV_FORMAT_FLAG, &flag);
    }

} // namespace

bool Player::execute(const std::string& line)
{
    const auto words = splitCommand(line);
    if (!words) {
        diagnostic("malformed command ignored", line);
        return true;
    }
    if (words->empty())
        return true;
    const std::string& verb = words->front();
    const auto number = [&](std::size_t i) {
        return i < words->size() ? parseNumber((*words)[i]) : std::nullopt;
    };
    if (verb == "quit")
        return false;
    if (verb == "pvex_loadfile" && words->size() >= 2 && words->size() <= 3)
        loadFiles((*words)[1], words->size() == 3 ? (*words)[2] : std::string());
    else if (verb == "pause" && words->size() == 1)
        togglePause();
    else if (verb == "pt_step")
        stopFiles();
    else if (verb == "frame_step")
        stepFrame();
    else if (verb == "get_time_length")
        reportLength();
    else if (verb == "seek" && number(1) && (words->size() == 2 || number(2)))
        seek(*number(1), words->size() == 3 ? static_cast<int>(*number(2)) : 0);
    else if (verb == "speed_set" && number(1))
        setSpeed(*number(1));
    else if (verb == "speed_incr" && number(1))
        setSpeed(m_speed + *number(1));
    else if (verb == "speed_mult" && number(1))
        setSpeed(m_speed * *number(1));
    else if (verb == "volume" && number(1) && (words->size() == 2 || number(2)))
        setVolume(*number(1), words->size() == 3 && *number(2) != 0);
    else
        diagnostic("unknown or malformed command ignored", line);
    return true;
}

void Player::loadFiles(const std::string& name1, const std::string& name2)
{
    if (name1.empty()) {
        diagnostic("load without a first file ignored", name2);
        return;
    }
    m_file1 = name1;
    m_twoChannels = !name2.empty();
    Channel& second = m_channels[1];
    if (m_twoChannels && !second.isOpen()) {
        if (!m_windows[1]) {
            m_windows[1] = createWindow(2);
            if (m_windows[1]) {
                call(CB_VIDEO_WINDOW_2, reinterpret_cast<std::intptr_t>(m_windows[1]));
                platform::notifyMessage(
                    static_cast<QObject*>(m_owner), platform::UM_PLACE_VIDEO, 2);
            }
        }
        if (second.open(false, [this] { repaintLater(1); })) {
            const std::string speed = decimal(m_speed);
            mpv_set_property_string(second.handle(), "speed", speed.c_str());
        } else {
            m_twoChannels = false;
        }
    }
    const char* args[] = {"loadfile", name1.c_str(), "replace", nullptr};
    mpv_node result{};
    m_currentEntry = 0;
    m_fileLoaded = false;
    const int loaded = mpv_command_ret(m_channels[0].handle(), args, &result);
    if (loaded < 0) {
        // Nothing will start, so nothing else will tell the viewer.
        diagnostic("cannot load", name1 + " (" + mpv_error_string(loaded) + ")");
        reportEnd(END_FAILED);
    } else {
        if (result.format == MPV_FORMAT_NODE_MAP)
            for (int i = 0; i < result.u.list->num; ++i)
                if (std::string_view(result.u.list->keys[i]) == "playlist_entry_id"
                    && result.u.list->values[i].format == MPV_FORMAT_INT64)
                    m_currentEntry = result.u.list->values[i].u.int64;
        mpv_free_node_contents(&result);
    }
    // As MPlayer does, a recording loaded runs, even when the one before was held: mpv would
    // keep the pause across files, and the viewer would start the next recording frozen.
    setFlag(m_channels[0].handle(), "pause", false);
    if (m_twoChannels) {
        const char* args2[] = {"loadfile", name2.c_str(), "replace", nullptr};
        mpv_command_async(second.handle(), 0, args2);
        setFlag(second.handle(), "pause", false);
    } else if (second.isOpen()) {
        const char* stop[] = {"stop", nullptr};
        mpv_command_async(second.handle(), 0, stop);
        second.clearFrame();
    }
}

void Player::togglePause()
{
    int paused = 0;
    mpv_get_property(m_channels[0].handle(), "pause", MPV_FORMAT_FLAG, &paused);
    for (Channel& channel : m_channels)
        if (channel.isOpen())
            setFlag(channel.handle(), "pause", !paused);
}

void Player::seek(double value, int type)
{
    const char* mode = type == 2 ? "absolute+exact"
        : type == 1              ? "absolute-percent+exact"
                                 : "relative+exact";
    const std::string target = decimal(value);
    for (Channel& channel : m_channels) {
        if (!channel.isOpen())
            continue;
        const char* args[] = {"seek", target.c_str(), mode, nullptr};
        mpv_command(channel.handle(), args);
        // As MPlayer does, a seek lets a paused picture run again.
        setFlag(channel.handle(), "pause", false);
    }
    m_reportPending = true;
}

void Player::setSpeed(double speed)
{
    m_speed = std::clamp(speed, 0.01, 100.0);
    for (Channel& channel : m_channels)
        if (channel.isOpen())
            mpv_set_property(channel.handle(), "speed", MPV_FORMAT_DOUBLE, &m_speed);
}

void Player::setVolume(double value, bool absolute)
{
    const double level = absolute ? value : m_volume + value;
    m_volume = static_cast<int>(std::clamp(level, 0.0, 100.0));
    double volume = m_volume;
    mpv_set_property(m_channels[0].handle(), "volume", MPV_FORMAT_DOUBLE, &volume);
}

void Player::stepFrame()
{
    for (Channel& channel : m_channels) {
        if (!channel.isOpen())
            continue;
        const char* args[] = {"frame-step", nullptr};
        mpv_command(channel.handle(), args);
    }
    m_reportPending = true;
}

void Player::stopFiles()
{
    for (Channel& channel : m_channels) {
        if (!channel.isOpen())
            continue;
        const char* args[] = {"stop", nullptr};
        mpv_command(channel.handle(), args);
    }
}

void Player::reportLength()
{
    float length = m_length;
    call(CB_LENGTH, reinterpret_cast<std::intptr_t>(&length));
}

bool Player::frameStep(std::chrono::milliseconds limit)
{
    if (!m_running)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::uint64_t frames = m_channels[0].frameCount();
    std::uint64_t made = 0;
    {
        std::lock_guard lock(m_stepMutex);
        made = m_reportsMade;
    }
    enqueue("frame_step");
    // The stepped frame may be the first one of the file, at the position already reported,
    // so it is the frame itself that ends the step, not a change of position.
    if (!m_channels[0].waitForFrameAfter(frames, limit))
        return false;
    std::unique_lock lock(m_stepMutex);
    // The position moves on with the frame, often before the render thread has the frame in
    // the buffer, so a report made since the step was asked for is the one a capture names its
    // file after. Failing that, the position is asked for outright.
    if (m_stepReported.wait_for(lock, kStepReportGrace, [&] { return m_reportsMade > made; }))
        return true;
    const std::uint64_t ticket = ++m_reportsAsked;
    lock.unlock();
    enqueue(std::string());
    lock.lock();
    return m_stepReported.wait_until(lock, deadline, [&] { return m_reportsDone >= ticket; });
}

QRect Player::placement(int number)
{
    std::uint16_t* values = nullptr;
    call(CB_PLACEMENT_A, reinterpret_cast<std::intptr_t>(&values));
    if (values) {
        const int base = number == 2 ? 4 : 0;
        const auto at
            = [&](int i) { return int(std::atomic_ref<std::uint16_t>(values[base + i]).load()); };
        if (at(2) > 0 && at(3) > 0)
            return QRect(at(0), at(1), at(2), at(3));
    }
    return number == 2 ? QRect(684, 122, kFrameWidth, kFrameHeight)
                       : QRect(24, 52, kFrameWidth, kFrameHeight);
}

QWidget* Player::createWindow(int number)
{
    if (!QCoreApplication::instance())
        return nullptr;
    struct Request
    {
        std::mutex mutex;
        std::condition_variable done;
        QWidget* window = nullptr;
        bool finished = false;
        bool cancelled = false;
    };
    auto request = std::make_shared<Request>();
    auto* owner = static_cast<QWidget*>(m_owner);
    const QRect place = placement(number);
    Channel* channel = &m_channels[number - 1];
    // Widgets belong to the GUI thread; this thread must not block on it, since the GUI thread
    // may itself be waiting for the player to end.
    postToGui([this, request, owner, place, channel, number] {
        std::lock_guard lock(request->mutex);
        if (request->cancelled)
            return;
        auto* window = new VideoWindow(owner, *this, number);
        window->setGeometry(place);
        window->show();
        channel->window = window;
        request->window = window;
        request->finished = true;
        request->done.notify_all();
    });
    std::unique_lock lock(request->mutex);
    while (!request->finished) {
        lock.unlock();
        const bool quit = quitPending();
        lock.lock();
        if (quit && !request->finished) {
            request->cancelled = true;
            return nullptr;
        }
        request->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    return request->window;
}

void Player::destroyWindows()
{
    if (!QCoreApplication::instance())
        return;
    // Queued behind any creation still pending, so it is the windows of this run that go.
    postToGui([this] {
        for (Channel& channel : m_channels)
            delete channel.window.data();
    });
    m_windows = {};
}

void Player::repaintLater(int index)
{
    if (!QCoreApplication::instance())
        return;
    // One call on its way at a time: however far the GUI thread is behind, it paints the newest
    // frame once, not every frame it missed.
    if (m_channels[index].repaintQueued.exchange(true))
        return;
    postToGui([this, index] {
        m_channels[index].repaintQueued = false;
        if (auto* window = static_cast<VideoWindow*>(m_channels[index].window.data()))
            window->frameArrived();
    });
}

} // namespace velq
