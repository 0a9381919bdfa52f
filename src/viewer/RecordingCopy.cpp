#include "viewer/RecordingCopy.h"

#include "recording/RecordingName.h"
#include "resources/Strings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

constexpr qint64 kBlockBytes = 1 << 20;

// The file name part of a path in either separator.
QString fileNameOf(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(a.toStdU16String()),
        std::filesystem::path(b.toStdU16String()), error);
    return !error && same;
}

RecordingCopy::Outcome failure(int result, const QString& destination, const QString& detail = {})
{
    return {result, destination, RecordingCopy::message(result, destination, detail)};
}

} // namespace

RecordingCopy::RecordingCopy(QObject* parent)
    : QObject(parent)
{ }

RecordingCopy::~RecordingCopy()
{
    m_cancel = true;
    joinWorker();
}

QString RecordingCopy::destinationFor(const QString& folder1, const QString& recordingPath)
{
    if (folder1.isEmpty())
        return {};
    // The type prefix is looked for in the file name alone, so that a folder whose name holds
    // "drf_" or "evt_" cannot become part of the copy's name. A file without a prefix keeps
    // its whole name.
    const QString name = fileNameOf(recordingPath);
    const qsizetype start = recording::namePartStart(QLatin1Char('/') + name) - 1;
    const QString namePart = start >= 0 ? name.mid(start) : name;
    QString folder = folder1;
    if (!folder.endsWith(u'/') && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder + QLatin1String("copy_")
        + namePart.chopped(std::min<qsizetype>(4, namePart.size())) + QLatin1String(".mp4");
}

QString RecordingCopy::message(int result, const QString& destination, const QString& detail)
{
    QString reason;
    switch (result) {
    case Copied:
        return {};
    case NoFolder:
        return strings::kCopyChooseFolderFirst;
    case SameFile:
        reason = strings::kCopyOntoItself;
        break;
    case CannotRead:
        reason = strings::kCopyCannotRead;
        break;
    case CannotCreate:
        reason = strings::kCopyCannotCreate;
        break;
    case WriteFailed:
        reason = strings::kCopyWriteFailed;
        break;
    case SizeMismatch:
        reason = strings::kCopySizeMismatch;
        break;
    case CannotReplace:
        reason = strings::kCopyCannotReplace;
        break;
    default:
        reason = strings::kCopyCancelled;
        break;
    }
    if (!detail.isEmpty())
        reason += QLatin1String(" (") + detail + QLatin1Char(')');
    return strings::kCopyFailed.toString().arg(QDir::toNativeSeparators(destination), reason);
}

RecordingCopy::Outcome RecordingCopy::copy(
    const QString& recordingPath, const QString& folder1, const std::atomic<bool>* cancel)
{
    const QString destination = destinationFor(folder1, recordingPath);
    if (destination.isEmpty())
        return failure(NoFolder, destination);
    if (sameFile(recordingPath, destination))
        return failure(SameFile, destination);

    QFile source(recordingPath);
    if (!source.open(QIODevice::ReadOnly))
        return failure(CannotRead, destination, source.errorString());
    const qint64 expected = source.size();
    QSaveFile target(destination);
    if (!target.open(QIODevice::WriteOnly))
        return failure(CannotCreate, destination, target.errorString());

    // Every early return below leaves the temporary file to QSaveFile, which removes it.
    std::vector<char> block(kBlockBytes);
    qint64 copied = 0;
    for (;;) {
        if (cancel && cancel->load()) {
            target.cancelWriting();
            return failure(Cancelled, destination);
        }
        const qint64 n = source.read(block.data(), kBlockBytes);
        if (n < 0)
            return failure(CannotRead, destination, source.errorString());
        if (n == 0)
            break;
        if (target.write(block.data(), n) != n)
            return failure(WriteFailed, destination, target.errorString());
        copied += n;
    }
    if (!target.flush())
        return failure(WriteFailed, destination, target.errorString());
    if (copied != expected || target.size() != expected)
        return failure(SizeMismatch, destination);
    if (!target.commit()) {
        const int result = target.error() == QFileDevice::RenameError ? CannotReplace : WriteFailed;
        return failure(result, destination, target.errorString());
    }
    return {Copied, destination, {}};
}

bool RecordingCopy::start(const QString& recordingPath, const QString& folder1)
{
    if (m_busy)
        return false;
    joinWorker();
    m_busy = true;
    m_cancel = false;
    m_worker = std::thread([this, recordingPath, folder1] {
        const Outcome outcome = copy(recordingPath, folder1, &m_cancel);
        // Handed to this object's thread; dropped if the object is gone by then, which its
        // destructor prevents by joining first.
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                m_busy = false;
                joinWorker();
                emit finished(outcome.result, outcome.destination, outcome.message);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void RecordingCopy::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}
