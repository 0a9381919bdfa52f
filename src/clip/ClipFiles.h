#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <optional>

// The files of one clip in the destination folder: their free names, the temporary files they
// are written under, and the checksum list.
namespace clip {

class FileClaim;

struct ClipNames
{
    QString clip; // "clip_evt_20250614_142440.mp4", or with "-2", "-3" ... before ".mp4"
    QString gpx;
    QString csv;
    QString list; // the clip's name + ".sha256"
    QString overlay; // the clip drawn with its telemetry: the clip's name with "_overlay"
};

// The first names after the camera's pattern that none of the clip's files takes yet.
std::optional<ClipNames> freeNames(
    const QString& folder, const QString& kind, const QDateTime& start);

// Every file a failed or cancelled export made goes again; a file only becomes a result by
// commit(), which renames it to its final name and never over an existing file.
class ClipFiles
{
public:
    explicit ClipFiles(const QString& folder);
    ~ClipFiles();
    ClipFiles(const ClipFiles&) = delete;
    ClipFiles& operator=(const ClipFiles&) = delete;

    // A new, empty hidden file in the folder for the file to be named `finalName`, claimed
    // (FileClaim) until it is committed or removed.
    std::optional<QString> createTemporary(const QString& finalName, QString* error);
    bool commit(const QString& temporary, const QString& finalName, QString* error);
    // Removes one temporary file now, leaving the rest of the export as it is.
    void drop(const QString& temporary);
    // Keeps what was committed (the export succeeded).
    void keep() { m_committed.clear(); }
    void discard();
    QStringList committed() const { return m_committed; }

    // Removes the temporary files of exports into `folder` that no running export claims: those
    // of a run that was killed or lost its power. Returns their names.
    static QStringList removeAbandoned(const QString& folder);

private:
    QString m_folder;
    std::map<QString, std::unique_ptr<FileClaim>> m_temporary;
    QStringList m_committed;
};

// SHA-256 of a file, read in pieces, as hex; empty when it cannot be read whole or `cancel` is set.
QByteArray sha256OfFile(const QString& path, const std::atomic<bool>* cancel = nullptr);

// One line as sha256sum writes and checks it: the hash, two spaces, the name. A name with a
// backslash or a line break is escaped the way sha256sum does, with a backslash in front.
QByteArray checksumLine(const QByteArray& hexHash, const QString& name);

} // namespace clip
