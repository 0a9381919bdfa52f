#include "drive/RecordingTelemetry.h"

#include "recording/BoxBytes.h"
#include "recording/EventIndex.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/TelemetryBlock.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <span>

namespace drive {

namespace {

constexpr double kKmhPerKnot = 1.852;
// No recording of a dashboard camera lasts a day; a length beyond it is damage.
constexpr uint32_t kLongestSeconds = 24 * 3600;

float littleEndianFloat(const uint8_t* b)
{
    const uint32_t bits
        = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TelemetrySecond readSecond(const PVEXUDAT& udat, uint32_t i)
{
    TelemetrySecond s;
    if (const uint8_t* record = udat.gpsRecord(i)) {
        const std::string_view text = recording::sentenceText(
            reinterpret_cast<const char*>(record), PVEXUDAT::kGpsRecordSize);
        if (recording::isPositionSentence(text)) {
            const recording::TelemetryRecord r = recording::parsePositionSentence(text);
            // A receiver without a fix may still repeat its last position, or a power-up
            // default such as 89°60' north: only status A with a position on the globe counts.
            s.hasFix = std::strcmp(r.statusText, "A") == 0 && recording::hasPosition(r)
                && std::fabs(r.latitude) <= 90 && std::fabs(r.longitude) <= 180 && r.speed >= 0;
            if (s.hasFix) {
                s.latitude = r.latitude;
                s.longitude = r.longitude;
                s.speedKmh = float(r.speed * kKmhPerKnot);
                s.course = float(r.course);
                if (const std::optional<QDateTime> utc = recording::sentenceUtc(r))
                    s.utc = utc->toSecsSinceEpoch();
            }
        }
    }
    if (const uint8_t* sample = udat.sensorRecord(i)) {
        s.x = littleEndianFloat(sample);
        s.y = littleEndianFloat(sample + 4);
        s.z = littleEndianFloat(sample + 8);
        s.hasSample = std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z);
    }
    return s;
}

void keepCameraEvents(const recording::EventIndex& index, RecordingTelemetry& out)
{
    if (!index.loaded)
        return;
    const int32_t count = std::min<int32_t>(
        index.count, int32_t(index.records.size() / recording::EventIndex::kRecordSize));
    for (int32_t i = 0; i < count; ++i) {
        const std::string_view text = index.recordText(i);
        CameraEvent event;
        if (const std::optional<QDateTime> moment = recording::eventMoment(text))
            event.time = *moment;
        event.text = QString::fromLatin1(text.data(), qsizetype(text.size()));
        out.cameraEvents.push_back(event);
    }
}

// The camera writes the event index after the telemetry block, so it lies in the block's copy,
// which runs to the end of the file: searched there at the file offsets the viewer's scan
// steps on (multiples of 4), it costs no read at all. Only an index elsewhere, or none, sends
// the search through the whole file as the viewer makes it.
void readCameraEvents(
    const QString& path, const std::vector<uint8_t>& block, RecordingTelemetry& out)
{
    recording::EventIndex index;
    const qint64 blockStart = QFileInfo(path).size() - qint64(block.size());
    if (!block.empty() && blockStart >= 0) {
        for (size_t at = size_t((4 - blockStart % 4) % 4); at + 8 <= block.size(); at += 4) {
            if (recording::hasType(block.data() + at + 4, "EVTI")) {
                recording::loadEventRecords(std::span(block.data() + at, block.size() - at), index);
                keepCameraEvents(index, out);
                return;
            }
        }
    }
    if (recording::loadEventRecords(path, index))
        keepCameraEvents(index, out);
}

// Reads the 8 or 16 header bytes of the box at `position`; false when they are not there.
bool readHeader(
    QFile& file, qint64 position, qint64 end, qint64& size, uint32_t& headerLength, char (&type)[4])
{
    uint8_t header[16];
    const qint64 wanted = std::min<qint64>(16, end - position);
    if (wanted < 8 || !file.seek(position)
        || file.read(reinterpret_cast<char*>(header), wanted) != wanted)
        return false;
    recording::BoxSize box;
    if (!recording::readBoxSize(header, uint64_t(wanted), 0, box))
        return false;
    // Size 0: the box runs to the end of its container.
    const uint64_t boxSize = box.size == 0 ? uint64_t(end - position) : box.size;
    if (boxSize < box.headerLength || boxSize > uint64_t(end - position))
        return false;
    size = qint64(boxSize);
    headerLength = box.headerLength;
    std::memcpy(type, header + 4, 4);
    return true;
}

// The position of the first box of `type` in [begin, end), or -1.
qint64 findBox(QFile& file, qint64 begin, qint64 end, const char* wantedType, qint64& size,
    uint32_t& headerLength)
{
    char type[4];
    for (qint64 position = begin; position < end; position += size) {
        if (!readHeader(file, position, end, size, headerLength, type))
            return -1;
        if (std::memcmp(type, wantedType, 4) == 0)
            return position;
    }
    return -1;
}

} // namespace

std::optional<int> movieDurationSeconds(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 fileSize = file.size();
    qint64 size = 0;
    uint32_t header = 0;
    const qint64 moov = findBox(file, 0, fileSize, "moov", size, header);
    if (moov < 0)
        return std::nullopt;
    const qint64 mvhd = findBox(file, moov + header, moov + size, "mvhd", size, header);
    if (mvhd < 0 || size < header + 32)
        return std::nullopt;
    uint8_t fields[32];
    if (!file.seek(mvhd + header) || file.read(reinterpret_cast<char*>(fields), 32) != 32)
        return std::nullopt;
    const bool wide = fields[0] == 1;
    const uint32_t timescale = recording::readBigEndian32(fields + (wide ? 20 : 12));
    const uint64_t duration
        = wide ? recording::readBigEndian64(fields + 24) : recording::readBigEndian32(fields + 16);
    // All ones: the duration is unknown.
    if (timescale == 0 || duration == (wide ? UINT64_MAX : UINT32_MAX))
        return std::nullopt;
    const uint64_t seconds = duration / timescale + (duration % timescale ? 1 : 0);
    return int(std::min<uint64_t>(seconds, kLongestSeconds));
}

ReadResult readRecording(const QString& path, RecordingTelemetry& out)
{
    out = RecordingTelemetry();
    out.path = path;
    out.type = recording::recordingType(path);
    const std::optional<QDateTime> start = recording::recordingStart(path);
    if (!start)
        return ReadResult::NotARecordingName;
    out.start = *start;
    const QByteArray fileName1 = path.toLocal8Bit();
    std::vector<uint8_t> block;
    if (recording::isTelemetryExempt(fileName1)) {
        if (!QFile(path).open(QIODevice::ReadOnly))
            return ReadResult::CannotOpen;
        out.telemetryCode = recording::kNoTelemetryBox;
    } else {
        PVEXUDAT udat;
        std::atomic<int> noTelemetry{1};
        // A file of the other view mode is a recording without telemetry here, not a reason
        // to end the program.
        out.telemetryCode
            = recording::loadTelemetry(fileName1, 0, 0, block, udat, noTelemetry, [](int) {});
        if (out.telemetryCode == recording::kCannotOpen
            || out.telemetryCode == recording::kNoFileName)
            return ReadResult::CannotOpen;
        if (out.telemetryCode == 0) {
            // A damaged time box may claim far more seconds than any recording holds.
            const uint32_t count = std::min<uint32_t>(udat.timeRecordCapacity(), kLongestSeconds);
            udat.setRecordCount(count);
            // Only seconds that have a position or a sample are kept, so a time box claiming more
            // records than the others hold costs nothing.
            for (uint32_t i = 0; i < count && (udat.gpsRecord(i) || udat.sensorRecord(i)); ++i)
                out.seconds.push_back(readSecond(udat, i));
            out.hasTelemetry = count > 0;
            out.lengthSeconds = int(count);
        }
    }
    if (!out.hasTelemetry)
        out.lengthSeconds = movieDurationSeconds(path).value_or(0);
    if (recording::hasEventIndex(path))
        readCameraEvents(path, block, out);
    return ReadResult::Ok;
}

QStringList folderRecordings(const QString& folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.endsWith(QLatin1String(".mp4")) && recording::recordingStart(name))
            paths << it.filePath();
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace drive
