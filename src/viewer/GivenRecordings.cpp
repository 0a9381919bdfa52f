#include "viewer/GivenRecordings.h"

#include "files/RecordingFolder.h"
#include "recording/CardFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace given_recordings {

namespace {

QStringList folderRecordings(const QString& folder)
{
    QStringList paths;
    for (const QString& path : recording::folderRecordings(folder))
        paths.append(QDir::toNativeSeparators(path));
    return paths;
}

} // namespace

Gathered gather(const QStringList& paths)
{
    Gathered gathered;
    QSet<QString> seen;
    for (const QString& given : paths) {
        if (given.isEmpty())
            continue;
        const QFileInfo info(given);
        // The path the user gave, made whole, not resolved through its links: the name the
        // list shows is the one the user knows.
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        QStringList found;
        if (info.isDir()) {
            found = folderRecordings(absolute);
        } else if (info.isFile()
            && recording::selectorKind(info.fileName()) != recording::NotARecording) {
            const QFileInfo whole(absolute);
            found.append(files::recordingPath(whole.absolutePath(), whole.fileName()));
        }
        if (found.isEmpty()) {
            gathered.refused.append(given);
            continue;
        }
        for (const QString& path : found) {
            if (!seen.contains(path)) {
                seen.insert(path);
                gathered.recordings.append(path);
            }
        }
    }
    return gathered;
}

} // namespace given_recordings
