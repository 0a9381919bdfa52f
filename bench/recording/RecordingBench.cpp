// Opening a recording's telemetry: time and peak memory for a 100 MB recording whose "udat"
// box stands at the end, read with header seeks (what the viewer does) and, for comparison,
// by reading the whole file. Goal for the seek-based read: under 5 ms and under 2 MB above
// the block itself.

#include "../ProcessMemory.h"
#include "recording/EventIndex.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/TelemetryBlock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <string>

namespace {

constexpr qint64 kRecordingBytes = 100 * 1024 * 1024;
constexpr int kRecords = 600; // ten minutes, one record per second

QByteArray be32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray box(const char* type, const QByteArray& contents)
{
    return be32(uint32_t(contents.size() + 8)) + QByteArray(type, 4) + contents;
}

QByteArray udatBox()
{
    QByteArray times;
    QByteArray sentences;
    QByteArray samples(kRecords * 12, '\x01');
    for (int i = 0; i < kRecords; ++i) {
        times += be32(uint32_t(i));
        sentences += QByteArray("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*6A")
                         .leftJustified(128, '\0');
    }
    return box("udat", box("TIME", times) + box("GPSI", sentences) + box("SENS", samples));
}

// Writes the recording once per run: ftyp, an mdat of video-like bytes, the telemetry block and
// an event index at the very end.
class Recording
{
public:
    Recording()
    {
        m_path = m_dir.filePath(QStringLiteral("evt_20240501_120000.mp4"));
        QFile file(m_path);
        file.open(QIODevice::WriteOnly);
        const QByteArray ftyp = box("ftyp", QByteArray("isom\0\0\x02\0isomiso2avc1mp41", 24));
        const QByteArray tail
            = udatBox() + box("EVTI", QByteArray("2024/05/01 12:00:30").leftJustified(256, '\0'));
        const qint64 mdatBytes = kRecordingBytes - ftyp.size() - tail.size();
        file.write(ftyp);
        file.write(be32(uint32_t(mdatBytes)) + "mdat");
        QByteArray chunk(1 << 20, '\0');
        for (int i = 0; i < chunk.size(); ++i)
            chunk[i] = char((i * 2654435761u) >> 24);
        for (qint64 left = mdatBytes - 8; left > 0; left -= chunk.size())
            file.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
        file.write(tail);
        m_blockBytes = tail.size();
    }

    QByteArray path() const { return m_path.toLocal8Bit(); }
    qint64 blockBytes() const { return m_blockBytes; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    qint64 m_blockBytes = 0;
};

Recording& recording()
{
    static Recording instance;
    return instance;
}

// Peak resident memory that one call adds: the kernel's high-water mark is reset to the
// current resident size first (clear_refs 5), so earlier runs do not count.
template <typename Call> long peakKilobytesOf(Call call)
{
    malloc_trim(0); // memory freed by earlier runs would otherwise be reused unseen
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKilobytes("VmRSS:");
    call();
    return statusKilobytes("VmHWM:") - before;
}

template <auto Read> void loadTelemetryWith(benchmark::State& state)
{
    const QByteArray path = recording().path();
    std::vector<uint8_t> block;
    PVEXUDAT udat;
    for (auto _ : state) {
        std::vector<uint8_t>().swap(block);
        const int code = Read(path, 0, 0, block, recording::endProgramOnViewModeMismatch);
        udat.setData(block.data(), block.size());
        benchmark::DoNotOptimize(udat.check() + code);
    }
    std::vector<uint8_t>().swap(block);
    const long peak = peakKilobytesOf([&] { Read(path, 0, 0, block, {}); });
    state.counters["block_kB"] = double(block.size()) / 1024;
    state.counters["peak_kB"] = double(peak);
    state.counters["peak_kB_above_block"] = double(peak) - double(block.size()) / 1024;
}

void BM_LoadTelemetrySeeking(benchmark::State& state)
{
    loadTelemetryWith<static_cast<int (*)(const QByteArray&, int, uint32_t, std::vector<uint8_t>&,
        const recording::ViewModeMismatchHandler&)>(&recording::readTelemetryBlock)>(state);
}
BENCHMARK(BM_LoadTelemetrySeeking)->Unit(benchmark::kMillisecond);

void BM_LoadTelemetryWholeFile(benchmark::State& state)
{
    loadTelemetryWith<&recording::readTelemetryBlockWholeFile>(state);
}
BENCHMARK(BM_LoadTelemetryWholeFile)->Unit(benchmark::kMillisecond);

void BM_LoadEventIndex(benchmark::State& state)
{
    const QString path = QString::fromLocal8Bit(recording().path());
    recording::EventIndex events;
    for (auto _ : state) {
        recording::loadEventRecords(path, events);
        benchmark::DoNotOptimize(events.count);
    }
    const long peak = peakKilobytesOf([&] { recording::loadEventRecords(path, events); });
    state.counters["peak_kB"] = double(peak);
}
BENCHMARK(BM_LoadEventIndex)->Unit(benchmark::kMillisecond);

void BM_ParseAndFormatSentence(benchmark::State& state)
{
    for (auto _ : state) {
        const recording::TelemetryRecord r = recording::parsePositionSentence(
            "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A");
        benchmark::DoNotOptimize(recording::latitudeLine(r.latitude));
    }
}
BENCHMARK(BM_ParseAndFormatSentence);

} // namespace
