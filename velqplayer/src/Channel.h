#pragma once

#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct mpv_handle;
struct mpv_render_context;
class QWidget;

namespace velq {

// One decoder (an mpv instance) with its software renderer, which draws every new frame into a
// frame buffer whose address never changes for the life of the library.
class Channel
{
public:
    Channel();
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // False (and nothing left open) when mpv cannot be started. The listener is called on the
    // render thread after each new frame; it is in place before that thread starts.
    bool open(bool withAudio, std::function<void()> frameListener);
    void close();
    bool isOpen() const { return m_mpv != nullptr; }
    mpv_handle* handle() const { return m_mpv; }

    const std::uint8_t* frame() const { return m_frameData; }
    std::mutex& frameMutex() const { return m_frameMutex; }
    std::uint64_t frameCount() const;
    // True once a frame after the count'th has been drawn, false when the time ran out.
    bool waitForFrameAfter(std::uint64_t count, std::chrono::milliseconds limit) const;
    void clearFrame();

    // Touched on the GUI thread only.
    QPointer<QWidget> window;
    // A repaint of the window is asked for and not yet taken up by the GUI thread.
    std::atomic<bool> repaintQueued{false};

private:
    static void onRenderUpdate(void* self);
    void renderLoop();

    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    std::thread m_renderThread;
    std::function<void()> m_frameListener;

    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_updatePending = false;
    bool m_stopRender = false;

    // mpv's software renderer takes its fast path only into memory aligned to 64 bytes; a
    // frame buffer that is not would cost a copy of every frame.
    static constexpr std::size_t kFrameAlignment = 64;
    std::vector<std::uint8_t> m_frame;
    std::uint8_t* m_frameData = nullptr; // within m_frame, aligned
    mutable std::mutex m_frameMutex;
    mutable std::condition_variable m_frameDrawn;
    std::uint64_t m_frames = 0;
};

} // namespace velq
