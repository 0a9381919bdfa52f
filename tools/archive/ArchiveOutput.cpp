#include "ArchiveOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>

namespace archivetool {

namespace {

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QString duration(qint64 seconds)
{
    return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QString isoTime(qint64 seconds)
{
    return archive::timeText(seconds).replace(QLatin1Char(' '), QLatin1Char('T'));
}

QString matchText(const archive::Moment& m)
{
    if (m.match == QLatin1String("pass"))
        return QStringLiteral("pass %1 m").arg(QString::number(m.distanceMetres, 'f', 0));
    if (m.match == QLatin1String("speed") || m.match == QLatin1String("time"))
        return m.match;
    QString text = m.match;
    if (!m.unit.isEmpty())
        text += QLatin1Char(' ') + QString::number(m.strength, 'f', 2) + QLatin1Char(' ') + m.unit;
    if (m.distanceMetres >= 0)
        text += QStringLiteral(", %1 m away").arg(QString::number(m.distanceMetres, 'f', 0));
    return text;
}

QJsonObject momentObject(const archive::Moment& m)
{
    QJsonObject o{{QStringLiteral("vehicle"), m.vehicle},
        {QStringLiteral("time"), isoTime(m.cameraTime)}, {QStringLiteral("recording"), m.recording},
        {QStringLiteral("second"), m.second}, {QStringLiteral("match"), m.match}};
    if (m.utc != 0)
        o.insert(QStringLiteral("utc"), isoTime(m.utc) + QLatin1Char('Z'));
    if (m.hasPosition) {
        o.insert(QStringLiteral("latitude"), rounded(m.latitude, 7));
        o.insert(QStringLiteral("longitude"), rounded(m.longitude, 7));
        o.insert(QStringLiteral("speed_kmh"), rounded(m.speedKmh, 1));
    }
    if (m.distanceMetres >= 0)
        o.insert(QStringLiteral("distance_m"), rounded(m.distanceMetres, 1));
    if (!m.unit.isEmpty()) {
        o.insert(QStringLiteral("strength"), rounded(m.strength, 2));
        o.insert(QStringLiteral("unit"), m.unit);
    }
    return o;
}

QJsonObject driveObject(const archive::DriveRow& d)
{
    QJsonObject clock{{QStringLiteral("known"), d.clock.known}};
    if (d.clock.known) {
        clock.insert(QStringLiteral("zone_h"), d.clock.zoneHours);
        clock.insert(QStringLiteral("drift_s"), d.clock.driftSeconds);
        clock.insert(QStringLiteral("text"), archive::clockText(d.clock));
    }
    if (d.clock.jumpSeconds != 0)
        clock.insert(QStringLiteral("jump_s"), d.clock.jumpSeconds);
    QJsonObject o{{QStringLiteral("id"), d.id}, {QStringLiteral("vehicle"), d.vehicle},
        {QStringLiteral("start"), isoTime(d.cameraStart)},
        {QStringLiteral("end"), isoTime(d.cameraEnd)},
        {QStringLiteral("duration_s"), d.cameraEnd - d.cameraStart},
        {QStringLiteral("recordings"), d.recordings},
        {QStringLiteral("distance_km"), rounded(d.distanceKm, 3)},
        {QStringLiteral("max_speed_kmh"), rounded(d.maxSpeedKmh, 1)},
        {QStringLiteral("mean_moving_speed_kmh"), rounded(d.meanMovingSpeedKmh, 1)},
        {QStringLiteral("moving_s"), d.movingSeconds},
        {QStringLiteral("stopped_s"), d.stoppedSeconds}, {QStringLiteral("events"), d.events},
        {QStringLiteral("clock"), clock}};
    if (d.utcStart != 0)
        o.insert(QStringLiteral("utc_start"), isoTime(d.utcStart) + QLatin1Char('Z'));
    return o;
}

} // namespace

QString jumpNote(int seconds)
{
    return QStringLiteral("clock jumped %1 (daylight saving time, or the clock was set)")
        .arg(archive::jumpText(seconds));
}

void writeMoments(const std::vector<archive::Moment>& moments, bool json, QTextStream& out)
{
    if (json) {
        QJsonArray list;
        for (const archive::Moment& m : moments)
            list.append(momentObject(m));
        out << QJsonDocument(QJsonObject{{QStringLiteral("moments"), list}})
                   .toJson(QJsonDocument::Indented);
        return;
    }
    for (const archive::Moment& m : moments) {
        const QString place = m.hasPosition ? QString::number(m.latitude, 'f', 6) + QLatin1Char(',')
                + QString::number(m.longitude, 'f', 6)
                                            : QStringLiteral("-");
        const QString speed = m.hasPosition
            ? QString::number(m.speedKmh, 'f', 1) + QStringLiteral(" km/h")
            : QStringLiteral("-");
        out << m.vehicle << '\t' << archive::timeText(m.cameraTime) << '\t' << m.recording << '\t'
            << m.second << '\t' << place << '\t' << speed << '\t' << matchText(m) << '\n';
    }
}

void writeDrives(const std::vector<archive::DriveRow>& drives, bool json, QTextStream& out)
{
    if (json) {
        QJsonArray list;
        for (const archive::DriveRow& d : drives)
            list.append(driveObject(d));
        out << QJsonDocument(QJsonObject{{QStringLiteral("drives"), list}})
                   .toJson(QJsonDocument::Indented);
        return;
    }
    for (const archive::DriveRow& d : drives) {
        out << d.vehicle << '\t' << archive::timeText(d.cameraStart) << '\t'
            << archive::timeText(d.cameraEnd) << '\t' << duration(d.cameraEnd - d.cameraStart)
            << '\t' << d.recordings << " recordings\t" << QString::number(d.distanceKm, 'f', 2)
            << " km\t" << QString::number(d.maxSpeedKmh, 'f', 1) << " km/h max\t" << d.events
            << " events\tclock " << archive::clockText(d.clock);
        if (d.clock.jumpSeconds != 0)
            out << ", " << jumpNote(d.clock.jumpSeconds);
        out << '\n';
    }
}

} // namespace archivetool
