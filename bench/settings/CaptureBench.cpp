// A thirty-frame capture end to end, from the action button's start to the last file written,
// on a 640 x 480 H.264 recording held by the real player library; beside it its parts: one
// frame step, and one frame converted, encoded and written. Goal: 30 frames in under 3 s.
#include "jpeg/CJpegEncoder.h"
#include "platform/AppMessage.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat9.h"
#include "settings/CaptureFrames.h"
#include "settings/FrameCapture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString g_recording;
double g_thirtyFrames = 0;

bool pumpUntil(const std::function<bool()>& condition, int limitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

// A player holding the recording's picture at second 1, as the capture button leaves it.
struct HeldPlayer
{
    QWidget owner;
    std::unique_ptr<PVEXAdap> adapter;

    bool start()
    {
        owner.resize(1020, 780);
        adapter = std::make_unique<PVEXAdap>(&owner);
        adapter->current()->placeVideo(0, 24, 52, 640, 480);
        const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
        if (adapter->current()->loadLibrary(library.constData()) != 0)
            return false;
        adapter->switchState(adapter->stateLoading.get());
        if (adapter->current()->openFile(g_recording.toLocal8Bit().constData(), "") != 0)
            return false;
        if (!pumpUntil(
                [this] {
                    return adapter->current() == adapter->statePlaying.get() && adapter->frame1
                        && adapter->position > 0.2f;
                },
                20000))
            return false;
        rewind();
        return true;
    }

    void rewind()
    {
        adapter->pauseAfterSeek = 1;
        adapter->current()->seek(1.f, 0);
        pumpUntil([this] { return std::abs(adapter->position - 1.f) < 0.05f; }, 5000);
        pumpUntil([] { return false; }, 200);
    }
};

HeldPlayer* g_player = nullptr;

void BM_ThirtyFrameCapture(benchmark::State& state)
{
    QTemporaryDir folder;
    FrameCapture capture;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        capture.start(g_player->adapter.get(), folder.path() + QLatin1Char('/'), g_recording, true);
        pumpUntil([&] { return !capture.isRunning(); }, 60000);
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        total += seconds;
        if (capture.summary().saved != 30)
            state.SkipWithError("the run did not save thirty frames");
        state.PauseTiming();
        g_player->rewind();
        state.ResumeTiming();
    }
    g_thirtyFrames = total / state.iterations();
    state.counters["frames"] = capture.summary().saved;
}
BENCHMARK(BM_ThirtyFrameCapture)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FrameStep(benchmark::State& state)
{
    for (auto _ : state)
        g_player->adapter->current()->frameStep();
    g_player->rewind();
}
BENCHMARK(BM_FrameStep)->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_EncodeAndWriteFrame(benchmark::State& state)
{
    QTemporaryDir folder;
    const std::uint8_t* frame = g_player->adapter->frame1;
    const std::vector<std::uint8_t> copy(frame, frame + capture_frames::kFrameBytes);
    std::vector<std::uint8_t> bitmap;
    CJpegEncoder encoder;
    int n = 0;
    for (auto _ : state) {
        const QString path = folder.path() + QStringLiteral("/frame_%1.jpg").arg(++n);
        benchmark::DoNotOptimize(capture_frames::writeFrame(encoder, copy, bitmap, path));
    }
}
BENCHMARK(BM_EncodeAndWriteFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZYN_AUDIO"))
        qputenv("ZYN_AUDIO", "null");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    // 40 seconds: without a telemetry block the player counts a record per second, and a run
    // of thirty frames needs thirty records ahead of it.
    g_recording = folder.path() + "/drf_20240102_030405.mp4";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
        {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=30:duration=40",
            "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", g_recording});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not make the benchmark recording\n");
        return 1;
    }
    HeldPlayer player;
    if (!player.start()) {
        std::fprintf(stderr, "the player could not open the benchmark recording\n");
        return 1;
    }
    g_player = &player;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_player = nullptr;
    std::printf("\nthirty frames end to end: %.2f s (goal < 3 s) %s\n", g_thirtyFrames,
        g_thirtyFrames > 0 && g_thirtyFrames < 3.0 ? "met" : "NOT met");
    return 0;
}
