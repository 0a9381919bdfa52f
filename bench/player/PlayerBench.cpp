// Time from openFile to the first frame and to the first progress report, and CPU time per
// second of playback at 1x and 4x, for a 640 x 480 H.264 recording, each beside the mpv
// command playing the same file. Ratios are printed at the end.
#include "platform/AppMessage.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat9.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

QString g_recording;
std::map<std::string, double> g_results;

class Owner : public QWidget
{
public:
    int reports = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != platform::AppMessage::eventType())
            return QWidget::event(event);
        auto* message = static_cast<platform::AppMessage*>(event);
        if (message->message() == platform::UM_TIME_UPDATE)
            ++reports;
        message->setResult(1);
        return true;
    }
};

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

// Runs the event loop as the viewer would, without spinning, so that the process's CPU time
// is the player's own.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool hasPicture(const std::uint8_t* frame)
{
    if (!frame)
        return false;
    for (int i = 0; i < 640 * 480 * 4; i += 4 * 997)
        if (frame[i] | frame[i + 1] | frame[i + 2])
            return true;
    return false;
}

struct Session
{
    Owner owner;
    std::unique_ptr<PVEXAdap> adapter;

    bool start()
    {
        adapter = std::make_unique<PVEXAdap>(&owner);
        adapter->current()->placeVideo(0, 24, 52, 640, 480);
        const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
        if (adapter->current()->loadLibrary(library.constData()) != 0)
            return false;
        adapter->switchState(adapter->stateLoading.get());
        return adapter->current()->openFile(g_recording.toLocal8Bit().constData(), "") == 0;
    }
};

void BM_PlayerFirstFrame(benchmark::State& state)
{
    double firstFrame = 0;
    double firstReport = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<Session>();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        if (!session->start()) {
            state.SkipWithError("the player library cannot be loaded");
            return;
        }
        pumpUntil([&] { return session->owner.reports > 0; }, 10000);
        const double report = timer.nsecsElapsed() / 1e9;
        pumpUntil([&] { return hasPicture(session->adapter->frame1.load()); }, 10000);
        const double frame = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(frame);
        firstFrame += frame;
        firstReport += report;
        state.PauseTiming();
        session.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    firstFrame /= state.iterations();
    firstReport /= state.iterations();
    state.counters["first_frame_ms"] = firstFrame * 1000;
    state.counters["first_report_ms"] = firstReport * 1000;
    g_results["player first frame"] = firstFrame;
    g_results["player first report"] = firstReport;
}
BENCHMARK(BM_PlayerFirstFrame)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MpvFirstFrame(benchmark::State& state)
{
    QTemporaryDir out;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess mpv;
        mpv.start("mpv",
            {"--no-config", "--really-quiet", "--ao=null", "--vo=image", "--vo-image-format=png",
                "--vo-image-png-compression=0", "--vo-image-outdir=" + out.path(), "--frames=1",
                g_recording});
        if (!mpv.waitForFinished(30000)) {
            state.SkipWithError("mpv did not finish");
            return;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    g_results["mpv first frame"] = total / state.iterations();
    state.counters["first_frame_ms"] = total / state.iterations() * 1000;
}
BENCHMARK(BM_MpvFirstFrame)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr int kPlayMs = 3000;

void BM_PlayerCpuPerSecond(benchmark::State& state)
{
    const float speed = state.range(0) == 4 ? 4.f : 1.f;
    for (auto _ : state) {
        Session session;
        if (!session.start()) {
            state.SkipWithError("the player library cannot be loaded");
            return;
        }
        pumpUntil([&] { return session.owner.reports > 0; }, 10000);
        session.adapter->current()->changeSpeed(speed, 0);
        const double cpu = cpuSeconds(RUSAGE_SELF);
        QElapsedTimer timer;
        timer.start();
        runEventLoop(kPlayMs);
        const double perSecond = (cpuSeconds(RUSAGE_SELF) - cpu) / (timer.nsecsElapsed() / 1e9);
        state.SetIterationTime(perSecond);
        state.counters["cpu_s_per_s"] = perSecond;
        g_results["player cpu " + std::to_string(int(speed)) + "x"] = perSecond;
    }
}
BENCHMARK(BM_PlayerCpuPerSecond)->Arg(1)->Arg(4)->Iterations(1)->UseManualTime();

void BM_MpvCpuPerSecond(benchmark::State& state)
{
    const int speed = int(state.range(0));
    for (auto _ : state) {
        const double cpu = cpuSeconds(RUSAGE_CHILDREN);
        QElapsedTimer timer;
        timer.start();
        QProcess mpv;
        mpv.start("mpv",
            {"--no-config", "--really-quiet", "--vo=null", "--ao=null",
                "--speed=" + QString::number(speed),
                "--length=" + QString::number(kPlayMs / 1000.0 * speed), g_recording});
        mpv.waitForFinished(60000);
        const double perSecond = (cpuSeconds(RUSAGE_CHILDREN) - cpu) / (timer.nsecsElapsed() / 1e9);
        state.SetIterationTime(perSecond);
        state.counters["cpu_s_per_s"] = perSecond;
        g_results["mpv cpu " + std::to_string(speed) + "x"] = perSecond;
    }
}
BENCHMARK(BM_MpvCpuPerSecond)->Arg(1)->Arg(4)->Iterations(1)->UseManualTime();

void printRatio(const char* what, const std::string& ours, const std::string& theirs, double target)
{
    if (!g_results.count(ours) || !g_results.count(theirs) || g_results[theirs] <= 0)
        return;
    const double ratio = g_results[ours] / g_results[theirs];
    std::printf("%-28s %8.3f vs mpv %8.3f  ratio %.2f (target <= %.1f) %s\n", what, g_results[ours],
        g_results[theirs], ratio, target, ratio <= target ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZYN_AUDIO"))
        qputenv("ZYN_AUDIO", "null");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_recording = folder.path() + "/drf_20240102_030405.mp4";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
        {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=30:duration=20",
            "-f", "lavfi", "-i", "sine=frequency=440:duration=20", "-c:v", "libx264", "-preset",
            "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", g_recording});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not make the benchmark recording\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n");
    printRatio("first frame (s)", "player first frame", "mpv first frame", 1.2);
    printRatio("first report (s)", "player first report", "mpv first frame", 1.2);
    printRatio("playback CPU 1x (s/s)", "player cpu 1x", "mpv cpu 1x", 1.5);
    printRatio("playback CPU 4x (s/s)", "player cpu 4x", "mpv cpu 4x", 1.5);
    return 0;
}
