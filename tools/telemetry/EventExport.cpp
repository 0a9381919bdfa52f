#include "EventExport.h"

#include "drive/DriveAnalysis.h"
#include "recording/EventIndex.h"
#include "recording/RecordingName.h"
#include "recording/TelemetryExport.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QTextStream>

#include <optional>
#include <vector>

namespace telemetryexport {

using namespace recording;

int writeEvents(const QStringList& recordings, const drive::DetectionThresholds& thresholds,
    QTextStream& out, QTextStream& errors)
{
    // Detection looks at each recording within its drive: a run of seconds or the settling after
    // a lost fix crosses from one recording into the next.
    QHash<QString, std::vector<drive::DriveEvent>> detected;
    for (const drive::DriveSummary& d : drive::analyseRecordings(recordings, thresholds).drives) {
        for (const drive::DriveEvent& e : d.events) {
            if (e.kind != drive::EventKind::Camera)
                detected[d.recordings.value(e.recording)].push_back(e);
        }
    }
    const QString timeFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss");
    out << "recording,index,event_time,seconds_from_start,text,kind\n";
    int failures = 0;
    for (const QString& path : recordings) {
        EventIndex events;
        // Continuous recordings carry no event index: the viewer and the drives read none.
        const bool readable = hasEventIndex(path) ? loadEventRecords(path, events)
                                                  : QFile(path).open(QIODevice::ReadOnly);
        if (!readable) {
            reportFailure(errors, path, QStringLiteral("the file cannot be opened"));
            ++failures;
            continue;
        }
        const std::optional<QDateTime> start = recordingStart(path);
        for (int32_t i = 0; events.loaded && i < events.count; ++i) {
            const std::string_view text = events.recordText(i);
            const std::optional<QDateTime> moment = eventMoment(text);
            out << csvField(path) << ',' << i << ','
                << (moment ? moment->toString(timeFormat) : QString()) << ','
                << (moment && start ? QString::number(start->secsTo(*moment)) : QString()) << ','
                << csvField(QString::fromLatin1(text.data(), qsizetype(text.size())))
                << ",camera\n";
        }
        for (const drive::DriveEvent& e : detected.value(path)) {
            const QString what
                = QStringLiteral("%1 %2 over %3 s")
                      .arg(QString::number(e.strength, 'f', 2), drive::strengthUnit(e.kind))
                      .arg(e.seconds);
            out << csvField(path) << ',' << e.second << ',' << e.time.toString(timeFormat) << ','
                << e.second << ',' << what << ',' << drive::eventKindName(e.kind) << '\n';
        }
    }
    return failures;
}

} // namespace telemetryexport
