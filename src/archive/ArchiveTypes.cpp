#include "archive/ArchiveTypes.h"

#include <QCoreApplication>

#include <cstdlib>

namespace archive {

QString recordingStateName(RecordingState state)
{
    switch (state) {
    case RecordingState::Intact:
        return QStringLiteral("intact");
    case RecordingState::Unclosed:
        return QStringLiteral("unclosed");
    case RecordingState::Unreadable:
        return QStringLiteral("unreadable");
    case RecordingState::Recovered:
        return QStringLiteral("recovered");
    }
    return QString();
}

QString clockText(const ClockOffset& clock)
{
    if (!clock.known)
        return QCoreApplication::translate("archive", "unknown");
    const QString zone = QStringLiteral("%1%2 h")
                             .arg(clock.zoneHours < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(std::abs(clock.zoneHours));
    if (clock.driftSeconds == 0)
        return QCoreApplication::translate("archive", "%1, exact").arg(zone);
    return (clock.driftSeconds > 0 ? QCoreApplication::translate("archive", "%1, %2 s fast")
                                   : QCoreApplication::translate("archive", "%1, %2 s slow"))
        .arg(zone)
        .arg(std::abs(clock.driftSeconds));
}

QString jumpText(int seconds)
{
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int size = std::abs(seconds);
    if (size % 3600 == 0)
        return QStringLiteral("%1%2 h").arg(sign).arg(size / 3600);
    if (size >= 3600)
        return QStringLiteral("%1%2 h %3 s").arg(sign).arg(size / 3600).arg(size % 3600);
    return QStringLiteral("%1%2 s").arg(sign).arg(size);
}

QString timeText(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<qint64> parseTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& format :
        {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
            QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyyMMdd_HHmmss")}) {
        const QDateTime wall = QDateTime::fromString(trimmed, format);
        if (wall.isValid())
            return QDateTime(wall.date(), wall.time(), Qt::UTC).toSecsSinceEpoch();
    }
    const QDate day = QDate::fromString(trimmed, QStringLiteral("yyyy-MM-dd"));
    if (day.isValid())
        return QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    return std::nullopt;
}

} // namespace archive
