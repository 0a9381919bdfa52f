#include "recover/Recovery.h"

#include "media/PlayableCheck.h"
#include "recording/CardFiles.h"
#include "recording/RecordingCheck.h"
#include "recover/IndexWriter.h"
#include "recover/MediaReader.h"
#include "recover/MediaWalker.h"
#include "recover/RecoveredFile.h"
#include "recover/ReferenceMovie.h"
#include "recover/VideoSyntax.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace recover {

namespace {

constexpr int kWalkShare = 900; // of the thousandths of progress; the copy and its check the rest

QString amount(uint64_t bytes)
{
    if (bytes < 1000000)
        return QCoreApplication::translate("recover", "%1 kB").arg((bytes + 999) / 1000);
    return QCoreApplication::translate("recover", "%1 MB")
        .arg(QString::number(double(bytes) / 1e6, 'f', 1));
}

Report finish(Report report, Outcome outcome, const QString& message)
{
    report.outcome = outcome;
    report.message = message;
    return report;
}

QString referenceProblem(const ReferenceProblem& problem, const QString& reference)
{
    const QString name = QFileInfo(reference).fileName();
    switch (problem.error) {
    case ReferenceError::Unreadable:
        return QCoreApplication::translate("recover", "The reference recording %1 cannot be read.")
            .arg(name);
    case ReferenceError::NoIndex:
        return QCoreApplication::translate(
            "recover", "The reference recording %1 has no complete index itself.")
            .arg(name);
    case ReferenceError::NoVideo:
        return QCoreApplication::translate(
            "recover", "The reference recording %1 has no video track.")
            .arg(name);
    case ReferenceError::UnknownCodec:
        return QCoreApplication::translate(
            "recover", "The reference recording %1 uses a codec this recovery does not know (%2).")
            .arg(name, problem.detail);
    case ReferenceError::DamagedDescription:
        return QCoreApplication::translate("recover",
            "The reference recording %1 is damaged: its sample description is not valid "
            "(%2). Choose another recording made by the same camera.")
            .arg(name, problem.detail);
    case ReferenceError::DamagedTables:
        return QCoreApplication::translate("recover",
            "The reference recording %1 is damaged: its index tables contradict each other "
            "or the file (%2). Choose another recording made by the same camera.")
            .arg(name, problem.detail);
    case ReferenceError::None:
        break;
    }
    return {};
}

// Why a file given as the reference cannot serve by its name alone, or nothing: a clip is the
// camera's packets laid out anew by an export, a drawn clip another encoding, and neither
// keeps the layout of the camera's index that the damaged recording's data follow.
QString referenceNameProblem(const QString& reference)
{
    const QString name = QFileInfo(reference).fileName();
    switch (recording::classifyName(name).derivation) {
    case recording::Derivation::Clip:
        return QCoreApplication::translate("recover",
            "The reference recording %1 is an exported clip, not one of the camera's "
            "recordings.")
            .arg(name);
    case recording::Derivation::DrawnClip:
        return QCoreApplication::translate("recover",
            "The reference recording %1 is a drawn clip, not one of the camera's "
            "recordings.")
            .arg(name);
    default:
        return {};
    }
}

// A hidden temporary file in the recording's folder, else in the fallback folder.
std::unique_ptr<QTemporaryFile> temporaryBeside(const Request& request, const QString& name)
{
    QStringList folders = {QFileInfo(request.recording).absolutePath()};
    if (!request.fallbackFolder.isEmpty())
        folders << request.fallbackFolder;
    for (const QString& folder : folders) {
        if (!QDir().mkpath(folder))
            continue;
        auto file = std::make_unique<QTemporaryFile>(
            QDir(folder).filePath(QLatin1Char('.') + name + QStringLiteral(".XXXXXX.part")));
        if (file->open())
            return file;
    }
    return nullptr;
}

// The walk found no picture, or stopped among the first ones while pictures go on after them:
// the reference does not describe these data (another codec, no sound where they have it,
// another layout), unless there is no video in them at all.
Report referenceMismatch(Report report, const ReferenceMovie& reference, MediaWalker& walker,
    MediaReader& reader, const recording::RecordingCheck& check)
{
    const TrackInfo& video = reference.tracks[size_t(reference.videoTrack())];
    const bool none = walker.videoSamples() == 0;
    const Codec found = sniffVideoCodec(reader, check.mediaStart, check.mediaEnd);
    if (none && found != Codec::Unknown && found != video.codec)
        return finish(report, Outcome::ReferenceRefused,
            QCoreApplication::translate("recover",
                "The reference recording's video is %1 but this recording's is %2: choose a "
                "recording made with the same settings.")
                .arg(QLatin1String(codecName(video.codec)), QLatin1String(codecName(found))));
    if (none && found == Codec::Unknown && walker.picturesAfter(check.mediaStart) >= check.mediaEnd)
        return finish(report, Outcome::NothingToRecover,
            QCoreApplication::translate(
                "recover", "No complete picture was found in the recording's media data."));
    const QString name = QFileInfo(reference.path).fileName();
    if (!reference.hasSound())
        return finish(report, Outcome::ReferenceRefused,
            QCoreApplication::translate("recover",
                "The recording's media data do not follow the reference recording %1, which has "
                "no sound: this recording most likely has. Choose a reference recorded with "
                "sound by the same camera.")
                .arg(name));
    if (none)
        return finish(report, Outcome::ReferenceRefused,
            QCoreApplication::translate("recover",
                "The recording's media data do not follow the reference recording %1: no "
                "picture stands where it places the first one. Choose a reference made by the "
                "same camera with the same settings.")
                .arg(name));
    return finish(report, Outcome::ReferenceRefused,
        QCoreApplication::translate("recover",
            "The recording's media data stop following the reference recording %1 after their "
            "first pictures. Choose a reference made by the same camera with the same settings.")
            .arg(name));
}

// The recovered file must open and play before it takes its name. What fails is the
// reference's description of the data, unless it is the last pictures, which are the
// recording's own.
QString unplayable(const media::PlayableCheck& check, const QString& reference)
{
    if (check.fault == media::Fault::LastPicture)
        return QCoreApplication::translate("recover",
            "The recovered recording would not play (%1), so it was not kept: the "
            "recording's own media data are damaged at their end.")
            .arg(check.detail);
    return QCoreApplication::translate("recover",
        "The recovered recording would not play (%1), so it was not kept: the reference "
        "recording %2 does not describe this recording's data. Choose another recording "
        "made by the same camera with the same settings.")
        .arg(check.detail, QFileInfo(reference).fileName());
}

Report failedWrite(Report report, const std::atomic<bool>* cancel)
{
    if (cancel && cancel->load())
        return finish(report, Outcome::Cancelled,
            QCoreApplication::translate("recover", "Recovery cancelled."));
    return finish(report, Outcome::WriteFailed,
        QCoreApplication::translate(
            "recover", "The recovered recording could not be written (disk full?)."));
}

// Finishes the recovered file under the temporary's name: the damaged file as the system copied
// it, cut after the last sample kept, its media box closed and the new index after it. It must open
// and play before it counts; pictures at its end that do not decode (a cut slice, or garbage that
// looked like one) are dropped, once. Nothing when it plays.
std::optional<Report> writeChecked(const Report& report, BackgroundCopy& copy,
    const QTemporaryFile& temporary, const ReferenceMovie& reference, MediaWalker& walker,
    const MediaBoxLayout& layout, const std::atomic<bool>* cancel, bool soundExpected,
    IndexResult& index)
{
    const QString part = temporary.fileName();
    if (!copy.wait())
        return failedWrite(report, cancel);
    QFile file(part);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
        | QFileDevice::ReadOther);
    if (!file.open(QIODevice::ReadWrite))
        return failedWrite(report, cancel);
    media::PlayableCheck playable;
    for (int attempt = 0; attempt < 2; ++attempt) {
        index = buildIndex(reference, walker.tracks(), layout.shift);
        if (!closeRecoveredFile(file, layout, walker.end(), index.moov))
            return failedWrite(report, cancel);
        playable = media::checkPlayable(part, {.lastPicture = true, .expectSound = soundExpected});
        if (playable.fault != media::Fault::LastPicture || !walker.dropUndecodableTail()
            || walker.videoSamples() == 0)
            break;
    }
    if (!playable.ok())
        return finish(report, Outcome::ReferenceRefused, unplayable(playable, report.reference));
    return std::nullopt;
}

// A recording that is not one the camera left open: nothing when it is one.
std::optional<Report> notRecoverable(const recording::RecordingCheck& check, const Report& report)
{
    using recording::RecordingState;
    switch (check.state) {
    case RecordingState::Unreadable:
        return finish(report, Outcome::ReadFailed,
            QCoreApplication::translate("recover", "The recording cannot be read."));
    case RecordingState::Intact:
        return finish(report, Outcome::NothingToRecover,
            QCoreApplication::translate(
                "recover", "The recording is complete: there is nothing to recover."));
    case RecordingState::Empty:
    case RecordingState::NotRecording:
        return finish(report, Outcome::NothingToRecover,
            QCoreApplication::translate("recording", recording::recordingStateReason(check.state)));
    default:
        return std::nullopt;
    }
}

// The reference given, or found beside the recording, read and checked: nothing when it serves.
std::optional<Report> takeReference(
    const Request& request, Report& report, ReferenceMovie& reference)
{
    report.reference
        = request.reference.isEmpty() ? findReference(request.recording) : request.reference;
    if (report.reference.isEmpty())
        return finish(report, Outcome::NoReference,
            QCoreApplication::translate("recover",
                "No complete recording of the same kind lies beside this one to take the index "
                "from: choose one made by the same camera."));
    if (const QString problem = referenceNameProblem(report.reference); !problem.isEmpty())
        return finish(report, Outcome::ReferenceRefused, problem);
    if (const ReferenceProblem problem = readReference(report.reference, reference);
        problem.error != ReferenceError::None)
        return finish(
            report, Outcome::ReferenceRefused, referenceProblem(problem, report.reference));
    return std::nullopt;
}

void countFound(Report& report, const ReferenceMovie& reference, const MediaWalker& walker,
    const recording::RecordingCheck& check)
{
    report.keptBytes = walker.end() - check.mediaStart;
    for (size_t t = 0; t < reference.tracks.size(); ++t) {
        const uint64_t n = walker.tracks()[t].count();
        if (reference.tracks[t].video())
            report.videoFrames += uint32_t(n);
        else if (reference.tracks[t].sound())
            report.soundFrames += uint32_t(n);
    }
    report.seconds = videoSeconds(reference, walker.tracks());
}

QString recoveredMessage(const Report& report, const ReferenceMovie& reference,
    const MediaWalker& walker, const IndexResult& index)
{
    const QString seconds = QString::number(report.seconds, 'f', 1);
    const QString file = QFileInfo(report.output).fileName();
    QString message;
    if (report.unreadBytes > 0) {
        message = QCoreApplication::translate("recover",
            "Recovered %1 s of video into %2, but not all of it: the media data stop "
            "following the reference recording after %3, and %4 after that were left "
            "unread.")
                      .arg(seconds, file, amount(report.keptBytes), amount(report.unreadBytes));
        if (!reference.hasSound() && walker.walkEnd() == WalkEnd::StepFailed)
            message += QLatin1Char(' ')
                + QCoreApplication::translate("recover",
                    "The reference has no sound; this recording most likely has: a reference "
                    "with sound recovers it whole.");
    } else {
        message = QCoreApplication::translate("recover", "Recovered %1 s of video into %2.")
                      .arg(seconds, file);
    }
    if (!index.orderKnown)
        message += QLatin1Char(' ')
            + QCoreApplication::translate("recover",
                "The camera reorders pictures and their order could not be read: their "
                "display times are approximate.");
    return message;
}

} // namespace

QString recoveredFileName(const QString& recording)
{
    return recording::recoveredName(QFileInfo(recording).fileName());
}

int exitStatus(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Recovered:
        return 0;
    case Outcome::ReadFailed:
    case Outcome::WriteFailed:
        return 2;
    case Outcome::PartlyRecovered:
        return 3;
    default:
        return 1;
    }
}

QString findReference(const QString& recording)
{
    const QFileInfo info(recording);
    const recording::CardName name = recording::classifyName(info.fileName());
    const QDateTime start = name.start.isValid() ? name.start : info.lastModified();
    // Only the camera's own recordings: never a clip, a copy or a recovered file beside them;
    // of the same kind, unless the damaged file's name no longer tells its kind.
    std::vector<std::pair<qint64, QString>> candidates;
    const QString folder = info.absolutePath();
    for (const recording::CardRecording& other : recording::listCard(folder).recordings) {
        if ((name.kind != recording::NotARecording && other.kind != name.kind)
            || !other.replaces.isEmpty() || QFileInfo(other.path) == info)
            continue;
        candidates.push_back({std::abs(start.secsTo(other.start)), other.path});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [distance, candidate] : candidates) {
        ReferenceMovie movie;
        if (readReference(candidate, movie).error == ReferenceError::None)
            return candidate;
    }
    return {};
}

Report recoverRecording(
    const Request& request, const std::atomic<bool>* cancel, const Progress& progress)
{
    Report report;
    const recording::RecordingCheck check = recording::checkRecording(request.recording);
    report.mediaBytes = check.mediaEnd - check.mediaStart;
    if (std::optional<Report> refused = notRecoverable(check, report))
        return *refused;
    ReferenceMovie reference;
    if (std::optional<Report> refused = takeReference(request, report, reference))
        return *refused;

    const QString name = recoveredFileName(request.recording);
    QFile source(request.recording);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return finish(report, Outcome::ReadFailed,
            QCoreApplication::translate("recover", "The recording cannot be read."));
    auto temporary = temporaryBeside(request, name);
    if (!temporary)
        return finish(report, Outcome::WriteFailed,
            QCoreApplication::translate(
                "recover", "Neither the recording's folder nor the fallback folder is writable."));
    const QString target = QFileInfo(temporary->fileName()).dir().filePath(name);
    if (QFileInfo::exists(target))
        return finish(report, Outcome::WriteFailed,
            QCoreApplication::translate("recover", "%1 exists already and is left as it is.")
                .arg(target));

    const MediaBoxLayout layout = mediaBoxLayout(check, source);
    const bool whole = mediaBoxWhole(check, source);
    MediaReader reader(source, check.mediaEnd);
    MediaWalker walker(reference, reader);
    if (!walker.prepare())
        return finish(report, Outcome::ReferenceRefused,
            QCoreApplication::translate("recover",
                "The decoders refuse the sample description of the reference recording %1: "
                "choose another recording made by the same camera.")
                .arg(QFileInfo(report.reference).fileName()));
    // The system copies the file while the walk reads it; the copy takes the temporary's
    // place, and goes with it on any failure.
    temporary->close();
    QFile::remove(temporary->fileName());
    BackgroundCopy copy(request.recording, temporary->fileName(), layout, cancel);
    const uint64_t media = std::max<uint64_t>(1, report.mediaBytes);
    const bool walked = walker.walk(
        check.mediaStart + reference.firstChunkGap, cancel,
        [&](uint64_t position) {
            if (progress)
                progress(int(std::min(position - check.mediaStart, media) * kWalkShare / media));
        },
        whole);
    if (cancel && cancel->load())
        return finish(report, Outcome::Cancelled,
            QCoreApplication::translate("recover", "Recovery cancelled."));
    if (!walked)
        return finish(report, Outcome::ReadFailed,
            QCoreApplication::translate("recover", "The recording cannot be read."));

    // A walk that stopped before the data ended is no success: say how much was left. One that
    // stopped among the first pictures says the reference does not fit.
    const uint64_t end = walker.end();
    const bool mediaLeft
        = walker.walkEnd() != WalkEnd::DataEnded && walker.picturesAfter(end) < check.mediaEnd;
    if (walker.videoSamples() == 0 || (mediaLeft && videoSeconds(reference, walker.tracks()) < 1))
        return referenceMismatch(report, reference, walker, reader, check);
    if (mediaLeft)
        report.unreadBytes = check.mediaEnd - end;
    bool soundExpected = false;
    for (size_t t = 0; t < reference.tracks.size(); ++t)
        soundExpected |= reference.tracks[t].sound() && walker.tracks()[t].count() > 0;
    if (progress)
        progress(kWalkShare);
    IndexResult index;
    if (std::optional<Report> failed = writeChecked(
            report, copy, *temporary, reference, walker, layout, cancel, soundExpected, index))
        return *failed;
    countFound(report, reference, walker, check);

    if (!QFile::rename(temporary->fileName(), target))
        return finish(report, Outcome::WriteFailed,
            QCoreApplication::translate("recover", "The recovered recording could not be named %1.")
                .arg(target));
    temporary->setAutoRemove(false);
    report.output = target;
    if (progress)
        progress(1000);
    const QString message = recoveredMessage(report, reference, walker, index);
    return finish(
        report, report.unreadBytes > 0 ? Outcome::PartlyRecovered : Outcome::Recovered, message);
}

} // namespace recover
