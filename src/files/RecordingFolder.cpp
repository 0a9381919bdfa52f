#include "files/RecordingFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace files {

namespace {

constexpr QLatin1String kExtension(".mp4");
constexpr QLatin1String kContinuous("drf_");
constexpr QLatin1String kEvent("evt_");
constexpr QLatin1String kManualEvent("muevt_");

// Regular files and links to them, hidden ones included (the card's file system may mark
// recordings hidden); no folders, devices or dangling links.
constexpr QDir::Filters kRegularFiles = QDir::Files | QDir::Hidden;

bool readableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable();
}

} // namespace

bool isRecordingOfKind(const QString& fileName, recording::RecordingType kind)
{
    if (!fileName.endsWith(kExtension))
        return false;
    switch (kind) {
    case recording::Continuous:
        return fileName.contains(kContinuous);
    case recording::Event:
        return fileName.contains(kEvent) && !fileName.contains(kManualEvent);
    case recording::ManualEvent:
        return fileName.contains(kManualEvent);
    case recording::NotARecording:
        break;
    }
    return false;
}

recording::RecordingType recordingKind(const QString& fileName)
{
    for (recording::RecordingType kind :
        {recording::Continuous, recording::ManualEvent, recording::Event}) {
        if (isRecordingOfKind(fileName, kind))
            return kind;
    }
    return recording::NotARecording;
}

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
        if (isRecordingOfKind(name, kind))
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
        if (isRecordingOfKind(it.fileName(), kind))
            return true;
    }
    return false;
}

QString recordingPath(const QString& folder, const QString& fileName)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}

} // namespace files
