#include "recording/TelemetryExport.h"

#include "recording/EventIndex.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/RecordingName.h"
#include "recording/SensorSample.h"
#include "recording/TelemetryBlock.h"

#include <QDateTime>
#include <QHash>
#include <QTextStream>
#include <QXmlStreamWriter>

#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace telemetryexport {

namespace {

using namespace recording;

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

struct LoadedRecording
{
    std::vector<uint8_t> block;
    PVEXUDAT udat;
    uint32_t count = 0;
};


// Loads as the viewer does in its general view mode, except that a file of the wrong kind is
// reported rather than ending the program. The record count is the number of time records.
bool load(const QString& path, LoadedRecording& recording, QTextStream& errors)
{
    const QByteArray fileName1 = path.toLocal8Bit();
    if (isTelemetryExempt(fileName1)) {
        reportFailure(errors, path, QStringLiteral("an MJPEG recording carries no telemetry"));
        return false;
    }
    std::atomic<int> noTelemetry{1};
    const int code
        = loadTelemetry(fileName1, 0, 0, recording.block, recording.udat, noTelemetry, [](int) {});
    if (code != 0) {
        reportFailure(errors, path,
            QStringLiteral("%1 (code %2)").arg(QLatin1String(telemetryResultText(code))).arg(code));
        return false;
    }
    recording.count = recording.udat.timeRecordCapacity();
    recording.udat.setRecordCount(recording.count);
    return true;
}

// Hands every recording that loads to the writer, reports each that does not, and returns how
// many did not.
template <typename Write>
int forEachLoaded(const QStringList& recordings, QTextStream& errors, Write write)
{
    int failures = 0;
    for (const QString& path : recordings) {
        LoadedRecording recording;
        if (load(path, recording, errors))
            write(path, recording);
        else
            ++failures;
    }
    return failures;
}

std::optional<TelemetryRecord> positionAt(const PVEXUDAT& udat, uint32_t i)
{
    const uint8_t* record = udat.gpsRecord(i);
    if (!record)
        return std::nullopt;
    const std::string_view text
        = sentenceText(reinterpret_cast<const char*>(record), PVEXUDAT::kGpsRecordSize);
    if (!isPositionSentence(text))
        return std::nullopt;
    return parsePositionSentence(text);
}

bool isValidFix(const TelemetryRecord& r)
{
    return std::strcmp(r.statusText, "A") == 0 && hasPosition(r) && std::fabs(r.latitude) <= 90
        && std::fabs(r.longitude) <= 180;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}


// GPX 1.1 takes a longitude from -180 up to but not including 180, and a course from 0 up to
// but not including 360: the meridian and north are written by their other names. The test is
// made on the value as written, which rounding may have carried onto the limit.
QString gpxLongitude(double longitude)
{
    constexpr int kDecimals = 7;
    const double written = number(longitude, kDecimals).toDouble();
    return number(written >= 180 ? written - 360 : written, kDecimals);
}

QString gpxCourse(double course)
{
    constexpr int kDecimals = 1;
    const double written = number(course, kDecimals).toDouble();
    return number(written >= 360 ? 0.0 : written, kDecimals);
}

void writeTrackPoint(QXmlStreamWriter& xml, const TelemetryRecord& r)
{
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), number(r.latitude, 7));
    xml.writeAttribute(QStringLiteral("lon"), gpxLongitude(r.longitude));
    if (const std::optional<QDateTime> utc = sentenceUtc(r))
        xml.writeTextElement(QStringLiteral("time"), utc->toString(Qt::ISODate));
    const bool hasSpeed = r.speed >= 0;
    const bool hasCourse = r.course >= 0 && r.course <= 360;
    if (hasSpeed || hasCourse) {
        xml.writeStartElement(QStringLiteral("extensions"));
        xml.writeStartElement(QStringLiteral("gpxtpx:TrackPointExtension"));
        if (hasSpeed)
            xml.writeTextElement(
                QStringLiteral("gpxtpx:speed"), number(r.speed * kMetresPerSecondPerKnot, 3));
        if (hasCourse)
            xml.writeTextElement(QStringLiteral("gpxtpx:course"), gpxCourse(r.course));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

void reportFailure(QTextStream& errors, const QString& path, const QString& reason)
{
    errors << "zyn-telemetry: " << path << ": " << reason << '\n';
    errors.flush();
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

int writeGpx(const QStringList& recordings, QIODevice& out, QTextStream& errors)
{
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeNamespace(QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2"),
        QStringLiteral("gpxtpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("zyn-telemetry"));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("ZYN Viewer recordings"));
    const int failures
        = forEachLoaded(recordings, errors, [&](const QString&, const LoadedRecording& recording) {
              xml.writeStartElement(QStringLiteral("trkseg"));
              for (uint32_t i = 0; i < recording.count; ++i) {
                  const std::optional<TelemetryRecord> r = positionAt(recording.udat, i);
                  if (r && isValidFix(*r))
                      writeTrackPoint(xml, *r);
              }
              xml.writeEndElement();
          });
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return failures;
}

int writeCsv(const QStringList& recordings, QTextStream& out, QTextStream& errors)
{
    out << "recording,index,utc,status,latitude,longitude,speed_knots,speed_kmh,course,x,y,z\n";
    return forEachLoaded(
        recordings, errors, [&](const QString& path, const LoadedRecording& recording) {
            const QString name = csvField(path);
            for (uint32_t i = 0; i < recording.count; ++i) {
                QStringList row{name, QString::number(i)};
                if (const std::optional<TelemetryRecord> r = positionAt(recording.udat, i)) {
                    const std::optional<QDateTime> utc = sentenceUtc(*r);
                    row << (utc ? utc->toString(Qt::ISODate) : QString())
                        << csvField(QString::fromLatin1(r->statusText));
                    // Without a fix the receiver's numbers mean nothing; a 0,0 position would put
                    // the car off the coast of Africa in any tool that reads the file.
                    if (isValidFix(*r))
                        row << number(r->latitude, 7) << number(r->longitude, 7)
                            << number(r->speed, 2)
                            << number(convertSpeed(r->speed, KilometresPerHour), 2)
                            << number(r->course, 2);
                    else
                        row << QString() << QString() << QString() << QString() << QString();
                } else {
                    row << QString() << QString() << QString() << QString() << QString()
                        << QString() << QString();
                }
                if (const std::optional<std::array<float, 3>> sample
                    = sensorSample(recording.udat.sensorRecord(i))) {
                    for (const float value : *sample)
                        row << number(value, 3);
                } else {
                    row << QString() << QString() << QString();
                }
                out << row.join(QLatin1Char(',')) << '\n';
            }
        });
}

} // namespace telemetryexport
