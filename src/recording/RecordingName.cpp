#include "recording/RecordingName.h"

#include "recording/CardFiles.h"

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
    // The file's own name: a folder called "evt_backup" makes no continuous recording an event.
    return foundAfterFirst(QLatin1Char('/') + QFileInfo(path).fileName(), kEvent);
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

QString kindName(const QString& path)
{
    switch (recordingType(path)) {
    case Event:
        return QStringLiteral("evt");
    case ManualEvent:
        return QStringLiteral("muevt");
    default:
        return QStringLiteral("drf");
    }
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
    // The prefix need not open the name: the viewer's own copies are "copy_evt_...".
    const CardName name = classifyName(QFileInfo(path).fileName());
    if (!name.start.isValid())
        return std::nullopt;
    return name.start;
}

} // namespace recording
