#include "recording/RecordingName.h"

#include <QFileInfo>

namespace recording {

namespace {

constexpr QLatin1String kContinuous("drf_");
constexpr QLatin1String kEvent("evt_");
constexpr QLatin1String kManualEvent("muevt_");

bool foundAfterFirst(const QString& path, QLatin1String prefix)
{
    return path.indexOf(prefix) >= 1;
}

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

RecordingType recordingType(const QString& path)
{
    if (foundAfterFirst(path, kContinuous))
        return Continuous;
    if (foundAfterFirst(path, kManualEvent))
        return ManualEvent;
    if (foundAfterFirst(path, kEvent))
        return Event;
    return NotARecording;
}

bool hasEventIndex(const QString& path)
{
    return foundAfterFirst(path, kEvent);
}

qsizetype namePartStart(const QString& path)
{
    qsizetype start = -1;
    for (QLatin1String prefix : {kContinuous, kEvent, kManualEvent}) {
        const qsizetype at = path.indexOf(prefix);
        if (at >= 1)
            start = at;
    }
    return start;
}

QString recordingDateText(const QString& path)
{
    const qsizetype start = namePartStart(path);
    if (start < 0)
        return {};
    const qsizetype prefixEnd = path.indexOf(u'_', start) + 1;
    return path.mid(prefixEnd, 8);
}

std::optional<QDateTime> recordingStart(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    for (QLatin1String prefix : {kManualEvent, kContinuous, kEvent}) {
        if (!name.startsWith(prefix))
            continue;
        const QStringView rest = QStringView(name).mid(prefix.size());
        if (rest.size() < 15 || rest[8] != u'_' || !allDigits(rest.first(8))
            || !allDigits(rest.mid(9, 6)))
            return std::nullopt;
        const QDate date(rest.first(4).toInt(), rest.mid(4, 2).toInt(), rest.mid(6, 2).toInt());
        const QTime time(rest.mid(9, 2).toInt(), rest.mid(11, 2).toInt(), rest.mid(13, 2).toInt());
        if (!date.isValid() || !time.isValid())
            return std::nullopt;
        return QDateTime(date, time, Qt::UTC);
    }
    return std::nullopt;
}

} // namespace recording
