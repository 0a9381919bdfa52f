#pragma once

#include "clip/ClipSpan.h"
#include "clip/StreamCopy.h"

#include <QString>
#include <QStringList>

#include <functional>

// Exporting one clip: the stream copy, its telemetry block and event index, the span's GPX and
// CSV, and the checksum list, all written under temporary names and named only when complete.
//
// The viewer runs it through clip::ClipJob (ClipJob.h), which does the work on a thread of its
// own and reports back by queued signals:
//
//     connect(m_clipJob, &clip::ClipJob::progress, this, &ExportPopup::showProgress);
//     connect(m_clipJob, &clip::ClipJob::finished, this, &ExportPopup::showResults);
//     // from, to: the camera's wall clock to the second, as recording::recordingStart() gives it
//     m_clipJob->start({currentPath}, {from, to}, {folder, alsoGpxAndCsv, alsoGpxAndCsv,
//         "zyn-viewer"});
//     // Cancel: m_clipJob->cancel(); finished() follows with a Cancelled result.
//
// Each result's message names the files written or says what failed; clip::eventSpans() gives
// the span of "save the event". Without a window, planClips() and exportClip() run directly.
namespace clip {

struct ExportOptions
{
    QString folder;
    bool gpx = true;
    bool csv = true;
    QString program = QStringLiteral("zyn-clip"); // named in the checksum list
    // Writes the clip drawn with its telemetry (overlay::drawClip) from the finished clip into
    // `output`, returning a CopyResult; progress from `from` to `to`. Unset: no drawn clip. The
    // clip library only calls it, so it need not know how pictures are drawn or encoded.
    std::function<int(const QString& clip, const QString& output, const Control& control,
        double from, double to, QString* error)>
        overlay;
};

enum ExportCode : int {
    Exported = 0,
    NothingToExport = 1,
    WriteFailed = 2,
    Cancelled = 3,
    SourceFailed = 4, // a recording could not be read while copying
    // The clip, its side files and its list were written, the drawn clip was not (it failed or
    // was cancelled) and is removed: `written` names what is kept, `message` why.
    DrawnFailed = 5,
};

struct ExportResult
{
    int code = NothingToExport;
    QStringList written; // full paths of the files made, the clip first
    // Recordings of the plan that could not be copied: the clip ends before the first of them.
    QStringList uncopied;
    QString message; // one line: what was written, or what failed and that nothing was left
};

// Writes the clip of `plan` into options.folder. On any failure or on cancel, every file this
// export made is removed again and `message` says what happened; only a failure or cancel of
// the drawn clip keeps the clip, which is complete by then (DrawnFailed). Temporary files that
// an export killed outright left in the folder are removed first.
ExportResult exportClip(const ClipPlan& plan, const ExportOptions& options, const Control& control);

// The program's version, named in the checksum list.
QString version();

} // namespace clip
