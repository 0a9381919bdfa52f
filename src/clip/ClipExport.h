#pragma once

#include "clip/ClipSpan.h"
#include "clip/StreamCopy.h"

#include <QString>
#include <QStringList>

// Exporting one clip: the stream copy, its telemetry block and event index, the span's GPX and
// CSV, and the checksum list, all written under temporary names and named only when complete.
//
// The viewer runs it on a worker thread and never touches widgets from there, e.g.
//
//     const clip::PlanResult plan = clip::planClips({currentPath}, {from, to}); // from, to: the
//     // camera's wall clock to the second, as recording::recordingStart() gives it
//     m_cancel = false;                                 // std::atomic<bool>, set by Cancel
//     m_worker = std::thread([this, plan, options] {    // joined when it reports back
//         const clip::Control control{[this](double done) {
//             QMetaObject::invokeMethod(this, [this, done] { showProgress(done); });
//         }, &m_cancel};
//         QList<clip::ExportResult> results;
//         for (const clip::ClipPlan& clip : plan.clips)
//             results.append(clip::exportClip(clip, options, control));
//         QMetaObject::invokeMethod(this, [this, results] { showResults(results); });
//     });
//
// plan.messages says why a span was split or shortened; each result's message names the files
// written or says what failed. clip::eventSpans() gives the span of "save the event".
namespace clip {

struct ExportOptions
{
    QString folder;
    bool gpx = true;
    bool csv = true;
    QString program = QStringLiteral("zyn-clip"); // named in the checksum list
};

enum ExportCode : int {
    Exported = 0,
    NothingToExport = 1,
    WriteFailed = 2,
    Cancelled = 3,
    SourceFailed = 4, // a recording could not be read while copying
};

struct ExportResult
{
    int code = NothingToExport;
    QStringList written; // full paths of the files made, the clip first
    QString message; // one line: what was written, or what failed and that nothing was left
};

// Writes the clip of `plan` into options.folder. On any failure or on cancel, every file this
// export made is removed again and `message` says what happened.
ExportResult exportClip(const ClipPlan& plan, const ExportOptions& options, const Control& control);

// The program's version, named in the checksum list.
QString version();

} // namespace clip
