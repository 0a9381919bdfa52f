#include "drive/RecordingTelemetry.h"

#include "recording/BoxBytes.h"
#include "recording/EventIndex.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/SensorSample.h"
#include "recording/TelemetryBlock.h"
#include "recording/TopLevelBoxes.h"

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
    if (const std::optional<std::array<float, 3>> sample
        = recording::sensorSample(udat.sensorRecord(i))) {
        s.x = (*sample)[0];
        s.y = (*sample)[1];
        s.z = (*sample)[2];
        s.hasSample = true;
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

// The camera writes the event index after the telemetry block, which the block's copy holds:
// found there, it costs no read at all.
void readCameraEvents(
    const QString& path, const std::vector<uint8_t>& block, RecordingTelemetry& out)
{
    recording::EventIndex index;
    const qint64 blockStart = QFileInfo(path).size() - qint64(block.size());
    if (!block.empty() && blockStart >= 0)
        recording::loadEventRecordsFromBlock(block, uint64_t(blockStart), index);
    else if (!recording::loadEventRecords(path, index))
        return;
    keepCameraEvents(index, out);
}

} // namespace

std::optional<int> movieDurationSeconds(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    recording::TopLevelBoxes boxes(file);
    recording::TopBox moov;
    if (!boxes.find("moov", moov) || moov.cut || moov.damaged)
        return std::nullopt;
    recording::TopLevelBoxes children(file, moov.contentStart(), moov.end(boxes.fileSize()));
    recording::TopBox mvhd;
    if (!children.find("mvhd", mvhd) || mvhd.cut || mvhd.damaged
        || mvhd.size < mvhd.headerLength + 32)
        return std::nullopt;
    uint8_t fields[32];
    if (!file.seek(qint64(mvhd.contentStart()))
        || file.read(reinterpret_cast<char*>(fields), 32) != 32)
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
    out.type = recording::recordingType(QLatin1Char('/') + QFileInfo(path).fileName());
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

} // namespace drive
