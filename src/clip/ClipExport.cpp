#include "clip/ClipExport.h"

#include "clip/ClipFiles.h"
#include "clip/ClipTelemetry.h"
#include "clip/LibavInput.h"
#include "media/PlayableCheck.h"
#include "recording/PVEXUDAT.h"
#include "recording/TelemetryBlock.h"
#include "recording/TelemetryExport.h"
#include "recording/UdatWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

namespace clip {

namespace {

constexpr double kCopyShare = 0.95; // of the progress; the side files and the list take the rest
// With a drawn clip, whose encoding takes far longer than the copy.
constexpr double kCopyShareBesideOverlay = 0.1;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString moment(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Reads the finished clip back as a player and the viewer would: it must open, last what was
// copied, and carry as many telemetry records as were written.
bool checkClip(const QString& path, int64_t expectedUs, int records, QString* error)
{
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.toLocal8Bit().constData(), nullptr, nullptr) < 0) {
        *error = QCoreApplication::translate("clip", "the written clip does not open");
        return false;
    }
    const int64_t durationUs = context->duration;
    avformat_close_input(&context);
    // One frame of slack: the container rounds each track's length to its own time scale.
    if (std::llabs(durationUs - expectedUs) > 100'000) {
        *error = QCoreApplication::translate("clip", "the written clip lasts %1 s instead of %2 s")
                     .arg(double(durationUs) / 1e6)
                     .arg(double(expectedUs) / 1e6);
        return false;
    }
    if (records == 0)
        return true;
    std::vector<uint8_t> copy;
    PVEXUDAT reader;
    std::atomic<int> noTelemetry{1};
    if (recording::loadTelemetry(path.toLocal8Bit(), 0, 0, copy, reader, noTelemetry, [](int) {})
            != 0
        || reader.timeRecordCapacity() != uint32_t(records)) {
        *error = QCoreApplication::translate(
            "clip", "the written clip's telemetry does not read back");
        return false;
    }
    return true;
}

bool writeSideFile(
    ClipFiles& files, const QString& clipPath, const QString& finalName, bool gpx, QString* error)
{
    const std::optional<QString> temporary = files.createTemporary(finalName, error);
    if (!temporary)
        return false;
    QFile file(*temporary);
    QString ignored;
    QTextStream errors(&ignored);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QCoreApplication::translate("clip", "cannot write %1: %2")
                     .arg(shown(*temporary), file.errorString());
        return false;
    }
    int failures = 0;
    bool written = false;
    if (gpx) {
        failures = telemetryexport::writeGpx({clipPath}, file, errors);
        written = file.flush();
    } else {
        QTextStream text(&file);
        failures = telemetryexport::writeCsv({clipPath}, text, errors);
        text.flush();
        written = text.status() == QTextStream::Ok && file.flush();
    }
    written = written && file.error() == QFileDevice::NoError;
    file.close();
    if (failures != 0 || !written || file.error() != QFileDevice::NoError) {
        *error = QCoreApplication::translate("clip", "cannot write %1: %2")
                     .arg(shown(QDir(QFileInfo(*temporary).path()).filePath(finalName)),
                         failures ? QCoreApplication::translate(
                             "clip", "the clip's telemetry does not read back")
                                  : file.errorString());
        return false;
    }
    return files.commit(*temporary, finalName, error);
}

QStringList sourcesOf(const ClipPlan& plan)
{
    QStringList sources;
    for (const Piece& piece : plan.pieces) {
        if (!sources.contains(piece.source.path))
            sources.append(piece.source.path);
    }
    return sources;
}

// The recordings are hashed on a thread of their own while the clip is copied: reading them
// whole takes longer than the copy, and the two use a core each.
class SourceHashes
{
public:
    explicit SourceHashes(const QStringList& paths)
        : m_paths(paths)
    {
        m_thread = std::thread([this] {
            for (const QString& path : std::as_const(m_paths))
                m_hashes.append(m_stop ? QByteArray() : sha256OfFile(path, &m_stop));
        });
    }
    ~SourceHashes()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    SourceHashes(const SourceHashes&) = delete;
    SourceHashes& operator=(const SourceHashes&) = delete;

    QStringList paths() const { return m_paths; }
    // Waits for the hashes, in the order of paths(); an empty one could not be read.
    QList<QByteArray> wait()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_hashes;
    }

private:
    QStringList m_paths;
    QList<QByteArray> m_hashes;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

bool writeChecksumList(ClipFiles& files, const ClipPlan& plan, const ClipNames& names,
    const QString& program, SourceHashes& sources, QString* error)
{
    QByteArray list = QStringLiteral("# clip %1 to %2, %3 s, written by %4 %5\n")
                          .arg(moment(plan.span.from), moment(plan.span.to))
                          .arg(plan.seconds())
                          .arg(program, version())
                          .toUtf8();
    // The clip's own files by name, so that "sha256sum -c" checks them wherever they travel
    // together. The recordings, whose folder the receiver does not have, are named alone and
    // commented out: a check without the card skips them, and in the card's folder the lines
    // with the comment mark taken off check them.
    const QDir folder(QFileInfo(files.committed().first()).path());
    for (const QString& path : files.committed()) {
        const QByteArray hash = sha256OfFile(path);
        if (hash.isEmpty()) {
            *error = QCoreApplication::translate("clip", "cannot read %1 for its checksum")
                         .arg(shown(path));
            return false;
        }
        list += checksumLine(hash, folder.relativeFilePath(path));
    }
    list += QStringLiteral("# the recordings it was cut from; in their folder: "
                           "sed -n 's/^#  //p' %1 | sha256sum -c\n")
                .arg(names.list)
                .toUtf8();
    const QStringList sourcePaths = sources.paths();
    const QList<QByteArray> sourceHashes = sources.wait();
    for (qsizetype i = 0; i < sourcePaths.size(); ++i) {
        if (sourceHashes[i].isEmpty()) {
            *error = QCoreApplication::translate("clip", "cannot read %1 for its checksum")
                         .arg(shown(sourcePaths[i]));
            return false;
        }
        list += "#  " + checksumLine(sourceHashes[i], QFileInfo(sourcePaths[i]).fileName());
    }
    const std::optional<QString> temporary = files.createTemporary(names.list, error);
    if (!temporary)
        return false;
    QFile file(*temporary);
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size() || !file.flush()) {
        *error = QCoreApplication::translate("clip", "cannot write %1: %2")
                     .arg(shown(folder.filePath(names.list)), file.errorString());
        return false;
    }
    file.close();
    return files.commit(*temporary, names.list, error);
}

// The clip itself, with its telemetry block and event index, checked and named; its records
// are counted into `records`. Returns 0 or the ExportCode of the failure; for SourceFailed,
// `failedPiece` is the piece whose recording is at fault.
int writeClip(ClipFiles& files, const ClipPlan& plan, const QString& name, const Control& control,
    double share, int* records, QString* error, qsizetype* failedPiece)
{
    const std::optional<QString> temporary = files.createTemporary(name, error);
    if (!temporary)
        return WriteFailed;
    const auto fail = [&](int code) {
        files.drop(*temporary);
        return code;
    };
    const int copied = copyStreams(plan.pieces, *temporary, control, 0, share, error, failedPiece);
    if (copied == CopyCancelled)
        return fail(Cancelled);
    if (copied != CopyDone)
        return fail(copied == CopyReadFailed ? SourceFailed : WriteFailed);
    const ClipTelemetry telemetry = clipTelemetry(plan);
    if ((!telemetry.udat.isEmpty() || !telemetry.events.isEmpty())
        && UdatWriter::appendToFile(*temporary, telemetry.udat, telemetry.events) != 0) {
        *error = QCoreApplication::translate("clip", "cannot write the clip's telemetry to %1")
                     .arg(shown(*temporary));
        return fail(WriteFailed);
    }
    int64_t expectedUs = 0;
    for (const Piece& piece : plan.pieces)
        expectedUs += piece.toUs - piece.fromUs;
    if (!checkClip(*temporary, expectedUs, telemetry.records, error))
        return fail(WriteFailed);
    // What a player meets first, the header and the first frames, all comes from the first
    // recording: a clip that does not start to play is that recording's fault.
    if (const media::PlayableCheck playable = libav::checkFirstFrames(*temporary); !playable.ok()) {
        *failedPiece = 0;
        *error = QCoreApplication::translate("clip", "%1 gives a clip that does not play (%2)")
                     .arg(shown(plan.pieces.first().source.path), libav::faultText(playable));
        return fail(SourceFailed);
    }
    if (control.cancelled())
        return fail(Cancelled);
    *records = telemetry.records;
    return files.commit(*temporary, name, error) ? Exported : fail(WriteFailed);
}

// The drawn clip beside the finished clip: nothing when it is written, else why not. Whatever
// becomes of it, the clip stays, so a failed or cancelled drawing removes only its own file.
QString writeDrawnClip(ClipFiles& files, const QString& clipPath, const QString& name,
    const ExportOptions& options, const Control& control, double from)
{
    QString error;
    const std::optional<QString> temporary = files.createTemporary(name, &error);
    if (!temporary)
        return QCoreApplication::translate("clip", "the drawn clip was not written (%1)").arg(error);
    const int drawn = options.overlay(clipPath, *temporary, control, from, kCopyShare, &error);
    media::PlayableCheck playable;
    if (drawn == CopyDone && !(playable = libav::checkFirstFrames(*temporary)).ok())
        error = libav::faultText(playable);
    else if (drawn == CopyDone && files.commit(*temporary, name, &error))
        return {};
    files.drop(*temporary);
    if (drawn == CopyCancelled)
        return QCoreApplication::translate(
            "clip", "the drawn clip was cancelled and removed; the clip is kept");
    return QCoreApplication::translate(
        "clip", "the drawn clip was not written (%1) and was removed; the clip is kept")
        .arg(error);
}

ExportResult failure(int code, const QString& reason)
{
    ExportResult result;
    result.code = code;
    result.message = code == Cancelled
        ? QCoreApplication::translate("clip", "export cancelled: no file was left behind")
        : QCoreApplication::translate("clip", "%1; no file was left behind").arg(reason);
    return result;
}

} // namespace

QString version()
{
    return QStringLiteral(ZYN_VERSION);
}

ExportResult exportClip(const ClipPlan& plan, const ExportOptions& options, const Control& control)
{
    if (plan.pieces.isEmpty())
        return failure(NothingToExport, QCoreApplication::translate("clip", "nothing to export"));
    const QFileInfo folder(options.folder);
    if (!folder.isDir())
        return failure(WriteFailed,
            QCoreApplication::translate("clip", "the folder %1 does not exist")
                .arg(shown(options.folder)));
    const QStringList abandoned = ClipFiles::removeAbandoned(folder.absoluteFilePath());
    ClipFiles files(folder.absoluteFilePath());
    QString error;
    // A card pulled out mid-way fails whichever step comes next; say what really happened.
    auto failed = [&](int code, const QString& reason) {
        return failure(code,
            QFileInfo(folder.absoluteFilePath()).isDir()
                ? reason
                : QCoreApplication::translate("clip", "the folder %1 is gone")
                      .arg(shown(options.folder)));
    };
    const double copyShare = options.overlay ? kCopyShareBesideOverlay : kCopyShare;
    // A recording that cannot be copied ends the clip before it, as one that cannot be read
    // ends the span; the clip is then made again of the recordings before it.
    ClipPlan written = plan;
    QStringList uncopied;
    QStringList notes;
    std::optional<ClipNames> names;
    std::unique_ptr<SourceHashes> sourceHashes;
    int records = 0;
    for (;;) {
        names = freeNames(options.folder, written.kind, written.span.from);
        if (!names)
            return failure(WriteFailed,
                QCoreApplication::translate("clip", "no free clip name left in %1")
                    .arg(shown(options.folder)));
        sourceHashes = std::make_unique<SourceHashes>(sourcesOf(written));
        qsizetype failedPiece = 0;
        const int code = writeClip(files, written, names->clip, control, copyShare, &records,
            &error, &failedPiece);
        if (code == Exported)
            break;
        if (code != SourceFailed || failedPiece <= 0)
            return failed(code, error);
        notes.append(QCoreApplication::translate("clip", "%1: the clip ends before it").arg(error));
        uncopied.append(written.pieces[failedPiece].source.path);
        written = planOf(written.pieces.first(failedPiece));
    }

    const QString clipPath = files.committed().first();
    const bool sideFiles = records > 0;
    if (sideFiles && options.gpx && !writeSideFile(files, clipPath, names->gpx, true, &error))
        return failed(WriteFailed, error);
    if (sideFiles && options.csv && !writeSideFile(files, clipPath, names->csv, false, &error))
        return failed(WriteFailed, error);
    const QString drawnFailure = options.overlay
        ? writeDrawnClip(files, clipPath, names->overlay, options, control, copyShare)
        : QString();
    if (drawnFailure.isEmpty() && control.cancelled())
        return failed(Cancelled, {});
    if (!writeChecksumList(files, written, *names, options.program, *sourceHashes, &error))
        return failed(WriteFailed, error);
    control.report(1);

    ExportResult result;
    result.code = drawnFailure.isEmpty() ? Exported : DrawnFailed;
    result.written = files.committed();
    result.uncopied = uncopied;
    files.keep();
    QStringList shownNames;
    for (const QString& path : result.written)
        shownNames.append(shown(path));
    result.message = QCoreApplication::translate("clip", "clip %1 to %2 written: %3")
                         .arg(moment(written.span.from), moment(written.span.to),
                             shownNames.join(", "));
    for (const QString& note : std::as_const(notes))
        result.message += QStringLiteral("; ") + note;
    if (!sideFiles && (options.gpx || options.csv))
        result.message += QCoreApplication::translate(
            "clip", " (its recordings carry no telemetry: no GPX or CSV)");
    if (!drawnFailure.isEmpty())
        result.message += QStringLiteral("; ") + drawnFailure;
    if (!abandoned.isEmpty())
        result.message += QCoreApplication::translate("clip",
            " (removed first what an earlier export left unfinished: %1)")
                              .arg(abandoned.join(", "));
    return result;
}

} // namespace clip
