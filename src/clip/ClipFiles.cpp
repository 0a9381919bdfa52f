#include "clip/ClipFiles.h"

#include "clip/FileClaim.h"
#include "recording/FileHash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>

namespace clip {

std::optional<ClipNames> freeNames(
    const QString& folder, const QString& kind, const QDateTime& start)
{
    const QDir dir(folder);
    const QString stem
        = QStringLiteral("clip_%1_%2").arg(kind, start.toString(QStringLiteral("yyyyMMdd_HHmmss")));
    for (int n = 1; n < 1000; ++n) {
        const QString base = n == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
        const ClipNames names{base + QLatin1String(".mp4"), base + QLatin1String(".gpx"),
            base + QLatin1String(".csv"), base + QLatin1String(".mp4.sha256"),
            base + QLatin1String("_overlay.mp4")};
        if (!dir.exists(names.clip) && !dir.exists(names.gpx) && !dir.exists(names.csv)
            && !dir.exists(names.list) && !dir.exists(names.overlay))
            return names;
    }
    return std::nullopt;
}

namespace {

QString temporaryName(const QString& finalName, int n)
{
    return QStringLiteral(".%1.%2.part").arg(finalName).arg(n);
}

} // namespace

ClipFiles::ClipFiles(const QString& folder)
    : m_folder(folder)
{ }

ClipFiles::~ClipFiles()
{
    discard();
}

std::optional<QString> ClipFiles::createTemporary(const QString& finalName, QString* error)
{
    const QDir dir(m_folder);
    for (int n = 0; n < 100; ++n) {
        const QString path = dir.filePath(temporaryName(finalName, n));
        bool exists = false;
        QString reason;
        if (std::unique_ptr<FileClaim> claim = FileClaim::create(path, &exists, &reason)) {
            m_temporary[path] = std::move(claim);
            return path;
        }
        if (!exists) {
            *error = QCoreApplication::translate("clip", "cannot write in %1: %2")
                         .arg(QDir::toNativeSeparators(m_folder), reason);
            return std::nullopt;
        }
    }
    *error = QCoreApplication::translate("clip", "cannot write in %1: too many unfinished clips")
                 .arg(QDir::toNativeSeparators(m_folder));
    return std::nullopt;
}

bool ClipFiles::commit(const QString& temporary, const QString& finalName, QString* error)
{
    const QString target = QDir(m_folder).filePath(finalName);
    // QFile::rename refuses an existing target, so a file that appeared meanwhile stays intact.
    QFile file(temporary);
    if (!file.rename(target)) {
        *error = QDir(m_folder).exists()
            ? QCoreApplication::translate("clip", "cannot name the file %1: %2")
                  .arg(QDir::toNativeSeparators(target), file.errorString())
            : QCoreApplication::translate("clip", "the folder %1 is gone")
                  .arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    m_temporary.erase(temporary);
    m_committed.append(target);
    return true;
}

void ClipFiles::drop(const QString& temporary)
{
    QFile::remove(temporary);
    m_temporary.erase(temporary);
}

void ClipFiles::discard()
{
    // Removed while still claimed, so no other export takes them for abandoned meanwhile.
    for (const auto& [path, claim] : m_temporary)
        QFile::remove(path);
    for (const QString& path : std::as_const(m_committed))
        QFile::remove(path);
    m_temporary.clear();
    m_committed.clear();
}

QStringList ClipFiles::removeAbandoned(const QString& folder)
{
    // Only names this class makes: a hidden "clip_..." name, a number, ".part".
    static const QRegularExpression ours(QStringLiteral("^\\.clip_.+\\.[0-9]+\\.part$"));
    const QDir dir(folder);
    QStringList removed;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = dir.filePath(name);
        if (ours.match(name).hasMatch() && FileClaim::unclaimed(path) && QFile::remove(path))
            removed.append(name);
    }
    return removed;
}

QByteArray sha256OfFile(const QString& path, const std::atomic<bool>* cancel)
{
    return recording::fileSha256(path, cancel);
}

QByteArray checksumLine(const QByteArray& hexHash, const QString& name)
{
    QByteArray encoded = name.toLocal8Bit();
    if (!encoded.contains('\\') && !encoded.contains('\n') && !encoded.contains('\r'))
        return hexHash + "  " + encoded + '\n';
    encoded.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r");
    return '\\' + hexHash + "  " + encoded + '\n';
}

} // namespace clip
