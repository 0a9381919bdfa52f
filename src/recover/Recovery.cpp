#include "recover/Recovery.h"

#include "recording/CardFiles.h"
#include "recording/RecordingCheck.h"
#include "recover/IndexWriter.h"
#include "recover/MediaReader.h"
#include "recover/MediaWalker.h"
#include "recover/ReferenceMovie.h"
#include "recover/VideoSyntax.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <memory>
#include <vector>

namespace recover {

namespace {

constexpr int kWalkShare = 800; // of the thousandths of progress; copying the rest

Report finish(Report report, Outcome outcome, const QString& message)
{
    report.outcome = outcome;
    report.message = message;
    return report;
}

QString referenceProblem(ReferenceError error)
{
    switch (error) {
    case ReferenceError::Unreadable:
        return QStringLiteral("cannot be read");
    case ReferenceError::NoIndex:
        return QStringLiteral("has no complete index itself");
    case ReferenceError::NoVideo:
        return QStringLiteral("has no video track");
    case ReferenceError::UnknownCodec:
        return QStringLiteral("uses a codec this recovery does not know");
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
    switch (recording::classifyName(QFileInfo(reference).fileName()).derivation) {
    case recording::Derivation::Clip:
        return QStringLiteral("is an exported clip, not one of the camera's recordings");
    case recording::Derivation::DrawnClip:
        return QStringLiteral("is a drawn clip, not one of the camera's recordings");
    default:
        return {};
    }
}

// Copies the file up to the end of the last sample kept, closes the media box there and
// appends the new index. Everything goes to `target`, never to the damaged file.
bool writeRecovered(QFile& source, const recording::RecordingCheck& check, uint64_t end,
    const QByteArray& index, QFile& target, const std::atomic<bool>* cancel,
    const Progress& progress)
{
    std::vector<char> block(1 << 20);
    if (!source.seek(0))
        return false;
    for (uint64_t done = 0; done < end;) {
        if (cancel && cancel->load())
            return false;
        const qint64 piece = qint64(std::min<uint64_t>(block.size(), end - done));
        if (source.read(block.data(), piece) != piece || target.write(block.data(), piece) != piece)
            return false;
        done += uint64_t(piece);
        if (progress)
            progress(kWalkShare + int(done * (1000 - kWalkShare) / end));
    }
    const uint64_t mdatSize = end - check.mdatOffset;
    QByteArray size;
    if (check.mdatHeaderLength == 16) {
        for (int shift = 56; shift >= 0; shift -= 8)
            size.append(char(mdatSize >> shift));
        if (!target.seek(qint64(check.mdatOffset + 8)))
            return false;
    } else {
        if (mdatSize > UINT32_MAX)
            return false;
        for (int shift = 24; shift >= 0; shift -= 8)
            size.append(char(mdatSize >> shift));
        if (!target.seek(qint64(check.mdatOffset)))
            return false;
    }
    return target.write(size) == size.size() && target.seek(qint64(end))
        && target.write(index) == index.size() && target.flush();
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
        if (readReference(candidate, movie) == ReferenceError::None)
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
    using recording::RecordingState;
    switch (check.state) {
    case RecordingState::Unreadable:
        return finish(report, Outcome::ReadFailed, QStringLiteral("The recording cannot be read."));
    case RecordingState::Intact:
        return finish(report, Outcome::NothingToRecover,
            QStringLiteral("The recording is complete: there is nothing to recover."));
    case RecordingState::Empty:
    case RecordingState::NotRecording:
        return finish(report, Outcome::NothingToRecover,
            QString::fromLatin1(recording::recordingStateReason(check.state)));
    default:
        break;
    }

    report.reference
        = request.reference.isEmpty() ? findReference(request.recording) : request.reference;
    if (report.reference.isEmpty())
        return finish(report, Outcome::NoReference,
            QStringLiteral("No complete recording of the same kind lies beside this one to take "
                           "the index from: choose one made by the same camera."));
    if (const QString problem = referenceNameProblem(report.reference); !problem.isEmpty())
        return finish(report, Outcome::ReferenceRefused,
            QStringLiteral("The reference recording %1.").arg(problem));
    ReferenceMovie reference;
    if (const ReferenceError error = readReference(report.reference, reference);
        error != ReferenceError::None)
        return finish(report, Outcome::ReferenceRefused,
            QStringLiteral("The reference recording %1.").arg(referenceProblem(error)));

    const QString name = recoveredFileName(request.recording);
    QFile source(request.recording);
    if (!source.open(QIODevice::ReadOnly))
        return finish(report, Outcome::ReadFailed, QStringLiteral("The recording cannot be read."));
    MediaReader reader(source, check.mediaEnd);
    MediaWalker walker(reference, reader);
    const TrackInfo& video = reference.tracks[size_t(reference.videoTrack())];
    if (!walker.prepare())
        return finish(report, Outcome::ReferenceRefused,
            QStringLiteral("The decoders for the reference's tracks cannot be opened."));
    const uint64_t media = std::max<uint64_t>(1, report.mediaBytes);
    const bool walked
        = walker.walk(check.mediaStart + reference.firstChunkGap, cancel, [&](uint64_t position) {
              if (progress)
                  progress(int((position - check.mediaStart) * kWalkShare / media));
          });
    if (cancel && cancel->load())
        return finish(report, Outcome::Cancelled, QStringLiteral("Recovery cancelled."));
    if (!walked)
        return finish(report, Outcome::ReadFailed, QStringLiteral("The recording cannot be read."));
    if (walker.videoSamples() == 0) {
        const Codec found = sniffVideoCodec(reader, check.mediaStart, check.mediaEnd);
        if (found != Codec::Unknown && found != video.codec)
            return finish(report, Outcome::ReferenceRefused,
                QStringLiteral("The reference recording's video is %1 but this recording's is %2: "
                               "choose a recording made with the same settings.")
                    .arg(QLatin1String(codecName(video.codec)), QLatin1String(codecName(found))));
        return finish(report, Outcome::NothingToRecover,
            QStringLiteral("No complete picture was found in the recording's media data."));
    }

    for (size_t t = 0; t < reference.tracks.size(); ++t) {
        const uint32_t n = uint32_t(walker.tracks()[t].samples.size());
        (reference.tracks[t].video ? report.videoFrames : report.soundFrames) += n;
    }
    report.seconds = videoSeconds(reference, walker.tracks());
    const uint64_t end = walker.end();
    report.keptBytes = end - check.mediaStart;
    const QByteArray index = buildIndex(reference, walker.tracks());

    auto temporary = temporaryBeside(request, name);
    if (!temporary)
        return finish(report, Outcome::WriteFailed,
            QStringLiteral("Neither the recording's folder nor the fallback folder is writable."));
    const QString target = QFileInfo(temporary->fileName()).dir().filePath(name);
    if (QFileInfo::exists(target))
        return finish(report, Outcome::WriteFailed,
            QStringLiteral("%1 exists already and is left as it is.").arg(target));
    if (!writeRecovered(source, check, end, index, *temporary, cancel, progress)) {
        if (cancel && cancel->load())
            return finish(report, Outcome::Cancelled, QStringLiteral("Recovery cancelled."));
        return finish(report, Outcome::WriteFailed,
            QStringLiteral("The recovered recording could not be written (disk full?)."));
    }
    temporary->close();
    // What was written must read back as a whole recording before it takes its name.
    if (recording::checkRecording(temporary->fileName()).state != RecordingState::Intact)
        return finish(report, Outcome::WriteFailed,
            QStringLiteral("The recovered recording did not read back whole."));
    temporary->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!temporary->rename(target))
        return finish(report, Outcome::WriteFailed,
            QStringLiteral("The recovered recording could not be named %1.").arg(target));
    temporary->setAutoRemove(false);
    report.output = target;
    if (progress)
        progress(1000);
    QString message = QStringLiteral("Recovered %1 s of video into %2.")
                          .arg(report.seconds, 0, 'f', 1)
                          .arg(QFileInfo(target).fileName());
    // Pictures sent out of display order need offsets the stream does not carry in a way this
    // walk reads; they play, but a reordered picture may show at its neighbour's time.
    if (video.compositionOffsets)
        message += QStringLiteral(" The camera reorders pictures; their display times are "
                                  "approximate.");
    return finish(report, Outcome::Recovered, message);
}

} // namespace recover
