// The summary and events of a card's folder: 600 one-minute recordings (ten hours of one
// drive), each a 20 MB video stand-in (a sparse hole, so the disk is spared) followed by its
// telemetry block, every twentieth an event recording with its event index. Goal: under 1 s and
// under 20 MB of memory for the whole folder.

#include "../ProcessMemory.h"
#include "drive/DriveAnalysis.h"

#include "DriveSimulator.h"
#include "recording/UdatWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <string>

namespace {

constexpr int kRecordings = 600;
constexpr int kSeconds = 60;
constexpr qint64 kVideoBytes = 20 * 1024 * 1024;

QByteArray be32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

class Folder
{
public:
    Folder()
    {
        const QDateTime start(QDate(2025, 6, 14), QTime(8, 0), QTimeZone(3 * 3600));
        DriveSimulator::Plan plan;
        plan.startUtc = start.toUTC();
        plan.seconds = kRecordings * kSeconds;
        for (int r = 0; r < kRecordings; r += 20)
            plan.hardBrakes.insert(r * kSeconds + 25);
        plan.noFixFrom = 3000;
        plan.noFixLength = 8;
        const QList<DriveSecond> drive = DriveSimulator::simulate(plan);
        for (int r = 0; r < kRecordings; ++r) {
            const bool event = r % 20 == 0;
            const QDateTime begin = start.addSecs(r * kSeconds);
            UdatWriter udat;
            for (int s = r * kSeconds; s < (r + 1) * kSeconds; ++s) {
                const DriveSecond& d = drive[s];
                udat.addRecord(uint32_t(d.fix.utc.toSecsSinceEpoch()), nmea::rmcSentence(d.fix),
                    d.x, d.y, d.z);
            }
            QFile file(m_dir.filePath((event ? "evt_" : "drf_")
                + begin.toString(QStringLiteral("yyyyMMdd_HHmmss")) + ".mp4"));
            file.open(QIODevice::WriteOnly);
            file.write(UdatWriter::box("ftyp", QByteArray("isom\0\0\2\0", 8)));
            file.write(be32(uint32_t(kVideoBytes)) + "mdat");
            file.seek(file.pos() + kVideoBytes - 8);
            file.write(udat.udatBox());
            if (event)
                file.write(UdatWriter::eventBox({begin.addSecs(25)}));
        }
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

void BM_SummariseFolder(benchmark::State& state)
{
    static Folder folder;
    drive::Analysis analysis;
    for (auto _ : state) {
        analysis = drive::analyseRecordings({folder.path()});
        benchmark::DoNotOptimize(analysis.drives.size());
    }
    // Peak resident memory one summary adds: the high-water mark is reset to the current
    // resident size first (clear_refs 5), so the folder's making does not count.
    analysis = {};
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKilobytes("VmRSS:");
    analysis = drive::analyseRecordings({folder.path()});
    state.counters["peak_kB"] = double(statusKilobytes("VmHWM:") - before);
    state.counters["drives"] = double(analysis.drives.size());
    size_t events = 0, recordings = 0;
    for (const drive::DriveSummary& d : analysis.drives) {
        events += d.events.size();
        recordings += size_t(d.recordings.size());
    }
    state.counters["recordings"] = double(recordings);
    state.counters["events"] = double(events);
    state.counters["km"] = analysis.drives.empty() ? 0 : analysis.drives[0].distanceKm;
}
BENCHMARK(BM_SummariseFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
