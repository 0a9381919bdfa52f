#include "DriveReport.h"

#include "drive/DriveAnalysis.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>

namespace telemetryexport {

namespace {

using namespace drive;

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QString localTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) : QString();
}

QString clock(qint64 seconds)
{
    return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QJsonObject eventObject(const DriveSummary& d, const DriveEvent& e)
{
    QJsonObject o{{QStringLiteral("kind"), eventKindName(e.kind)},
        {QStringLiteral("time"), localTime(e.time)},
        {QStringLiteral("recording"), d.recordings.value(e.recording)},
        {QStringLiteral("second"), e.second}};
    if (e.kind == EventKind::Camera) {
        o.insert(QStringLiteral("text"), e.text);
    } else {
        o.insert(QStringLiteral("seconds"), e.seconds);
        o.insert(QStringLiteral("strength"), rounded(e.strength, 2));
        o.insert(QStringLiteral("unit"), strengthUnit(e.kind));
    }
    return o;
}

QJsonObject driveObject(const DriveSummary& d)
{
    QJsonArray events;
    for (const DriveEvent& e : d.events)
        events.append(eventObject(d, e));
    return {{QStringLiteral("start"), localTime(d.start)},
        {QStringLiteral("end"), localTime(d.end)},
        {QStringLiteral("duration_s"), d.durationSeconds},
        {QStringLiteral("recordings"), QJsonArray::fromStringList(d.recordings)},
        {QStringLiteral("distance_km"), rounded(d.distanceKm, 3)},
        {QStringLiteral("max_speed_kmh"), rounded(d.maxSpeedKmh, 1)},
        {QStringLiteral("mean_moving_speed_kmh"), rounded(d.meanMovingSpeedKmh, 1)},
        {QStringLiteral("moving_s"), d.movingSeconds},
        {QStringLiteral("stopped_s"), d.stoppedSeconds}, {QStringLiteral("events"), events}};
}

void writeText(const std::vector<DriveSummary>& drives, QTextStream& out)
{
    const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    for (size_t i = 0; i < drives.size(); ++i) {
        const DriveSummary& d = drives[i];
        if (i > 0)
            out << '\n';
        out << "Drive " << i + 1 << " of " << drives.size() << ": " << d.start.toString(timeFormat)
            << " to " << d.end.toString(timeFormat) << " (" << clock(d.durationSeconds) << ")\n";
        out << "  Recordings:        " << d.recordings.size() << '\n';
        for (const QString& path : d.recordings)
            out << "    " << path << '\n';
        out << "  Distance:          " << QString::number(d.distanceKm, 'f', 2) << " km\n";
        out << "  Greatest speed:    " << QString::number(d.maxSpeedKmh, 'f', 1) << " km/h\n";
        out << "  Mean moving speed: " << QString::number(d.meanMovingSpeedKmh, 'f', 1)
            << " km/h\n";
        out << "  Time moving:       " << clock(d.movingSeconds) << '\n';
        out << "  Time stopped:      " << clock(d.stoppedSeconds) << '\n';
        out << "  Events:            " << d.events.size() << '\n';
        for (const DriveEvent& e : d.events) {
            const QString what = e.kind == EventKind::Camera
                ? QStringLiteral("camera \"%1\"").arg(e.text)
                : QStringLiteral("%1 %2 %3 over %4 s")
                      .arg(eventKindName(e.kind), QString::number(e.strength, 'f', 2),
                          strengthUnit(e.kind))
                      .arg(e.seconds);
            out << "    " << (e.time.isValid() ? e.time.toString(timeFormat) : QStringLiteral("-"))
                << "  " << what << "  (" << QFileInfo(d.recordings.value(e.recording)).fileName()
                << " at " << e.second << " s)\n";
        }
    }
}

} // namespace

int writeSummary(const QStringList& inputs, const DetectionThresholds& thresholds, bool json,
    QTextStream& out, QTextStream& errors)
{
    const Analysis analysis = analyseRecordings(inputs, thresholds);
    for (const Problem& p : analysis.problems)
        errors << "zyn-telemetry: " << p.path << ": " << p.reason << '\n';
    errors.flush();
    if (json) {
        QJsonArray drives;
        for (const DriveSummary& d : analysis.drives)
            drives.append(driveObject(d));
        out << QJsonDocument(QJsonObject{{QStringLiteral("drives"), drives}})
                   .toJson(QJsonDocument::Indented);
    } else {
        writeText(analysis.drives, out);
    }
    return int(analysis.problems.size());
}

} // namespace telemetryexport
