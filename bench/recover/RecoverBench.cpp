// A cut 100 MB recording recovered (goal: under 2 s, memory a few MB). The recordings are made
// once by the demo card writer into the build folder: 320 s of Motion JPEG with sound (about
// 100 MB), cut at 100 000 000 bytes, and a 10 s recording of the same settings as the
// reference, so the walk also runs past the end of the reference's chunk pattern.

#include "recover/Recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

const QString kDir = QStringLiteral(ZYN_BENCH_DATA);
const QString kLong = kDir + QStringLiteral("/long/drf_20250614_142337.mp4");
const QString kReference = kDir + QStringLiteral("/drf_20250614_150000.mp4");
const QString kCut = kDir + QStringLiteral("/drf_20250614_142000.mp4");
constexpr qint64 kCutBytes = 100'000'000;

bool cardgen(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ZYN_CARDGEN),
        QStringList{"--evt", "0", "--muevt", "0", "-c", "mjpeg", "--drf", "1", "-f"} + args);
    return p.waitForFinished(600000) && p.exitCode() == 0;
}

bool prepare()
{
    if (QFile::exists(kCut) && QFile::exists(kReference))
        return true;
    if (!cardgen({"--length", "320", kDir + "/long"})
        || !cardgen({"--length", "10", "--start", "2025-06-14 15:00:00", kDir}))
        return false;
    QFile in(kLong), out(kCut);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    if (in.size() <= kCutBytes)
        return false;
    for (qint64 done = 0; done < kCutBytes;) {
        const QByteArray block = in.read(std::min<qint64>(1 << 20, kCutBytes - done));
        if (block.isEmpty() || out.write(block) != block.size())
            return false;
        done += block.size();
    }
    return true;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_RecoverCut100MB(benchmark::State& state)
{
    if (!prepare()) {
        state.SkipWithError("cannot make the recordings (zyn-cardgen, ffmpeg)");
        return;
    }
    const QString output = kDir + QStringLiteral("/drf_20250614_142000_recovered.mp4");
    QFile::remove(output);
    const long before = peakKilobytes();
    recover::Report report;
    for (auto _ : state) {
        report = recover::recoverRecording({kCut, kReference, {}});
        state.PauseTiming();
        QFile::remove(output);
        state.ResumeTiming();
    }
    if (report.outcome != recover::Outcome::Recovered) {
        state.SkipWithError(report.message.toUtf8().constData());
        return;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kCutBytes);
    state.counters["pictures"] = report.videoFrames;
    state.counters["sound_frames"] = report.soundFrames;
    state.counters["peak_rss_growth_kB"] = double(peakKilobytes() - before);
}
BENCHMARK(BM_RecoverCut100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
