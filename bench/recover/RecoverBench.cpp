// Recovery beside a copy of the same file, in one run (goal: within twice the copy's time, and
// peak memory under 40 MB whatever the file's size), and a hostile reference (goal: refused
// within a second, in bounded memory).
//
// The recordings are made once into the build folder: 90 s of 1080p H.264 at 16 Mbit/s with
// AAC sound by ffmpeg's muxer (about 180 MB, cut at 99 %, as the recording the recovery was
// found slow on), 320 s of the demo card writer's Motion JPEG with sound (about 100 MB, cut at
// 100 000 000 bytes), each with a 10 s reference of the same settings, so the walk also runs
// past the end of the reference's chunk pattern. The copy is QFile::copy, the system's own
// (sendfile on Linux), of the same cut file.

#include "../ProcessMemory.h"
#include "recover/Recovery.h"
#include "recover/ReferenceMovie.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <functional>
#include <map>

namespace {

const QString kDir = QStringLiteral(ZYN_BENCH_DATA);

struct Case
{
    QString cut, reference;
};

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(1800000) && p.exitStatus() == QProcess::NormalExit
        && p.exitCode() == 0;
}

bool cutAt(const QString& from, const QString& to, qint64 bytes)
{
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || in.size() <= bytes)
        return false;
    for (qint64 done = 0; done < bytes;) {
        const QByteArray block = in.read(std::min<qint64>(4 << 20, bytes - done));
        if (block.isEmpty() || out.write(block) != block.size())
            return false;
        done += block.size();
    }
    return true;
}

// 1080p H.264 with AAC, as ffmpeg's muxer writes it.
// The case's files in its folder of the bench data.
Case named(const QString& dir)
{
    return {dir + QStringLiteral("/drf_20250614_142000.mp4"),
        dir + QStringLiteral("/drf_20250614_150000.mp4")};
}

bool made(const Case& c)
{
    return QFile::exists(c.cut) && QFile::exists(c.reference);
}

Case h264()
{
    const QString dir = kDir + QStringLiteral("/h264");
    const Case c = named(dir);
    if (made(c))
        return c;
    QDir().mkpath(dir);
    const auto encode = [](const QString& scene, const QString& sound, int seconds,
                            const QString& out) {
        const QString s = QString::number(seconds);
        return run("ffmpeg",
            {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                scene + "=size=1920x1080:rate=30:duration=" + s, "-f", "lavfi", "-i",
                sound + ":r=48000:d=" + s, "-c:v", "libx264", "-preset", "ultrafast", "-b:v", "16M",
                "-g", "60", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k", out});
    };
    const QString whole = dir + QStringLiteral("/whole.mp4");
    if (!encode("testsrc2", "anoisesrc=c=pink:a=0.1", 90, whole)
        || !encode("testsrc", "sine=f=440", 10, c.reference)
        || !cutAt(whole, c.cut, QFile(whole).size() * 99 / 100))
        return {};
    QFile::remove(whole);
    return c;
}

// The demo card writer's Motion JPEG with sound.
Case mjpeg()
{
    const QString dir = kDir + QStringLiteral("/mjpeg");
    const Case c = named(dir);
    if (made(c))
        return c;
    const QStringList card = {"--evt", "0", "--muevt", "0", "-c", "mjpeg", "--drf", "1", "-f"};
    if (!run(ZYN_CARDGEN, card + QStringList{"--length", "320", dir + "/long"})
        || !run(ZYN_CARDGEN,
            card + QStringList{"--length", "10", "--start", "2025-06-14 15:00:00", dir})
        || !cutAt(dir + "/long/drf_20250614_142337.mp4", c.cut, 100'000'000))
        return {};
    return c;
}

Case caseOf(int which)
{
    static std::map<int, Case> cases;
    if (!cases.count(which))
        cases[which] = which == 0 ? h264() : mjpeg();
    return cases[which];
}

// The last copy's time per case: the recovery's is given as a multiple of it.
std::map<int, double>& copySeconds()
{
    static std::map<int, double> seconds;
    return seconds;
}

// The peak resident size starts again from the present one (Linux: clear_refs 5).
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Runs `work` once an iteration and removes what it wrote between them: the mean seconds.
double timed(benchmark::State& state, const std::function<void()>& work, const QString& written)
{
    QFile::remove(written);
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        work();
        total += double(timer.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        QFile::remove(written);
        state.ResumeTiming();
    }
    return total / double(std::max<benchmark::IterationCount>(1, state.iterations()));
}

void BM_Copy(benchmark::State& state)
{
    const Case c = caseOf(int(state.range(0)));
    if (c.cut.isEmpty()) {
        state.SkipWithError("cannot make the recordings (ffmpeg, zyn-cardgen)");
        return;
    }
    const QString copy = c.cut + QStringLiteral(".copy");
    copySeconds()[int(state.range(0))] = timed(
        state, [&] { QFile::copy(c.cut, copy); }, copy);
}

void BM_Recover(benchmark::State& state)
{
    const Case c = caseOf(int(state.range(0)));
    if (c.cut.isEmpty()) {
        state.SkipWithError("cannot make the recordings (ffmpeg, zyn-cardgen)");
        return;
    }
    const QString output = QFileInfo(c.cut).dir().filePath(recover::recoveredFileName(c.cut));
    resetPeak();
    const long before = statusKilobytes("VmHWM:");
    recover::Report report;
    const double seconds = timed(
        state,
        [&] {
            report = recover::recoverRecording({c.cut, c.reference, {}});
        },
        output);
    if (report.outcome != recover::Outcome::Recovered) {
        state.SkipWithError(report.message.toUtf8().constData());
        return;
    }
    state.counters["pictures"] = report.videoFrames;
    state.counters["sound_frames"] = report.soundFrames;
    state.counters["peak_growth_MB"] = double(statusKilobytes("VmHWM:") - before) / 1024;
    state.counters["peak_MB"] = double(statusKilobytes("VmHWM:")) / 1024;
    const double copy = copySeconds()[int(state.range(0))];
    if (copy > 0)
        state.counters["x_copy"] = seconds / copy;
}

// A 4 MB reference whose sample-to-chunk table's first chunks go 1, 0xFFFFFFFF, 1: it once
// grew the chunk list past 1 GB.
void BM_HostileReference(benchmark::State& state)
{
    const Case c = caseOf(0);
    const QString hostile = kDir + QStringLiteral("/hostile.mp4");
    if (c.reference.isEmpty()
        || (!QFile::exists(hostile)
            && !run("python3", {ZYN_DAMAGE_MP4, c.reference, hostile, "stsc-runaway", "sound"}))) {
        state.SkipWithError("cannot make the hostile reference (python3)");
        return;
    }
    resetPeak();
    const long before = statusKilobytes("VmHWM:");
    recover::ReferenceProblem problem;
    for (auto _ : state) {
        recover::ReferenceMovie movie;
        problem = recover::readReference(hostile, movie);
    }
    if (problem.error != recover::ReferenceError::DamagedTables)
        state.SkipWithError("the hostile reference was not refused");
    state.counters["peak_growth_MB"] = double(statusKilobytes("VmHWM:") - before) / 1024;
}

BENCHMARK(BM_Copy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Recover)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HostileReference)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
