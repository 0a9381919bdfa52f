#include "files/RecordingFolder.h"

#include "recording/CardFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace files {

namespace {

// Regular files and links to them, hidden ones included (the card's file system may mark
// recordings hidden); no folders, devices or dangling links.
constexpr QDir::Filters kRegularFiles = QDir::Files | QDir::Hidden;

bool readableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable();
}

} // namespace

FolderListing listRecordings(const QString& folder, recording::RecordingType kind)
{
    FolderListing listing;
    if (!readableFolder(folder))
        return listing;
    listing.readable = true;
    QDirIterator it(folder, kRegularFiles);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (recording::listsUnderKind(name, kind))
            listing.names.append(name);
    }
    std::sort(listing.names.begin(), listing.names.end());
    return listing;
}

bool folderHasRecordings(const QString& folder, recording::RecordingType kind)
{
    if (!readableFolder(folder))
        return false;
    QDirIterator it(folder, kRegularFiles);
    while (it.hasNext()) {
        it.next();
        if (recording::listsUnderKind(it.fileName(), kind))
            return true;
    }
    return false;
}

QString recordingPath(const QString& folder, const QString& fileName)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}

} // namespace files
