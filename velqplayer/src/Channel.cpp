#include "Channel.h"

#include "velqplayer/Protocol.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace velq {

Channel::Channel()
    : m_frame(kFrameBytes + kFrameAlignment, 0)
{
    void* data = m_frame.data();
    std::size_t space = m_frame.size();
    m_frameData = static_cast<std::uint8_t*>(std::align(kFrameAlignment, kFrameBytes, data, space));
}

Channel::~Channel()
{
    close();
}

bool Channel::open(bool withAudio, std::function<void()> frameListener)
{
    if (m_mpv)
        return true;
    // mpv refuses to start under a locale whose decimal point is not '.'.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        std::printf("velqplayer: mpv cannot be created\n");
        std::fflush(stdout);
        return false;
    }
    const char* audio = std::getenv("ZYN_AUDIO");
    const bool nullAudio = audio && std::strcmp(audio, "null") == 0;
    const std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"vo", "libmpv"},
        {"hwdec", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        // exact seeks: a capture after a seek must show the frame asked for, not a key frame
        {"hr-seek", "yes"},
        // Every file starts at its time 0: a clip cut inside a group of pictures keeps the
        // frames before the cut only to decode from, and mpv would otherwise show them first
        // (at negative times) instead of honouring the edit list that hides them.
        {"start", "0"},
        {"audio-file-auto", "no"},
        {"sub-auto", "no"},
        // The exact converters (zimg, or swscale at full accuracy) cost more than decoding
        // itself at 4x; the fast path is visually the same for a dashboard picture.
        {"sws-allow-zimg", "no"},
        {"sws-fast", "yes"},
        {"ao", nullAudio ? "null" : "auto"},
        {"audio", withAudio ? "auto" : "no"},
    };
    for (const auto& [name, value] : options)
        if (std::strcmp(value, "auto") != 0)
            mpv_set_option_string(m_mpv, name, value);
    if (mpv_initialize(m_mpv) < 0) {
        std::printf("velqplayer: mpv cannot be initialised\n");
        std::fflush(stdout);
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return false;
    }
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[]
        = {{MPV_RENDER_PARAM_API_TYPE, apiType}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        std::printf("velqplayer: the software renderer cannot be created\n");
        std::fflush(stdout);
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        m_render = nullptr;
        return false;
    }
    clearFrame();
    m_frameListener = std::move(frameListener);
    {
        std::lock_guard lock(m_wakeMutex);
        m_stopRender = false;
        m_updatePending = true;
    }
    m_renderThread = std::thread([this] { renderLoop(); });
    mpv_render_context_set_update_callback(m_render, &Channel::onRenderUpdate, this);
    return true;
}

void Channel::close()
{
    if (!m_mpv)
        return;
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    {
        std::lock_guard lock(m_wakeMutex);
        m_stopRender = true;
    }
    m_wake.notify_all();
    if (m_renderThread.joinable())
        m_renderThread.join();
    // The render context has to go before its mpv instance.
    mpv_render_context_free(m_render);
    m_render = nullptr;
    mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
}

std::uint64_t Channel::frameCount() const
{
    std::lock_guard lock(m_frameMutex);
    return m_frames;
}

bool Channel::waitForFrameAfter(std::uint64_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_frameMutex);
    return m_frameDrawn.wait_for(lock, limit, [&] { return m_frames > count; });
}

void Channel::clearFrame()
{
    std::lock_guard lock(m_frameMutex);
    std::memset(m_frameData, 0, kFrameBytes);
}

void Channel::onRenderUpdate(void* self)
{
    // mpv's own thread: nothing of mpv may be called here, only the render thread woken.
    auto* channel = static_cast<Channel*>(self);
    {
        std::lock_guard lock(channel->m_wakeMutex);
        channel->m_updatePending = true;
    }
    channel->m_wake.notify_one();
}

void Channel::renderLoop()
{
    int size[2] = {kFrameWidth, kFrameHeight};
    char format[] = "bgr0";
    std::size_t stride = kFrameWidth * 4;
    std::unique_lock lock(m_wakeMutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_updatePending || m_stopRender; });
        if (m_stopRender)
            return;
        m_updatePending = false;
        lock.unlock();
        if (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) {
            // A redraw of the frame already shown is not a new frame for a frame step.
            mpv_render_frame_info info{};
            mpv_render_param query = {MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info};
            const bool redraw = mpv_render_context_get_info(m_render, query) >= 0
                && (info.flags & MPV_RENDER_FRAME_INFO_REDRAW);
            {
                std::lock_guard frameLock(m_frameMutex);
                mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                    {MPV_RENDER_PARAM_SW_FORMAT, format}, {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                    {MPV_RENDER_PARAM_SW_POINTER, m_frameData},
                    {MPV_RENDER_PARAM_INVALID, nullptr}};
                mpv_render_context_render(m_render, params);
                if (!redraw)
                    ++m_frames;
            }
            m_frameDrawn.notify_all();
            if (m_frameListener)
                m_frameListener();
        }
        lock.lock();
    }
}

} // namespace velq
