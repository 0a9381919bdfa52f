#pragma once

#include "archive/ArchiveDatabase.h"

#include <QString>

// An archive: a root folder that holds the recordings by vehicle and date, and the index of
// them in a database (an SQLite file in the root, or a PostgreSQL database that several PCs
// sharing the root use together). The index stores paths relative to the root, so every PC may
// mount the share where it likes.
//
// How the viewer's archive window uses it, on a worker thread of its own (a connection belongs
// to the thread that opened it; each worker opens its own Archive):
//
//     archive::Archive a;
//     if (a.open(root, location, &error) != archive::Opened) -> show error
//     archive::drives(a, filter)            -> the day's drives (ArchiveQueries.h)
//     archive::driveDays(a, month, vehicle) -> which days of a month have drives
//     archive::driveTrack(a, drive)         -> its speed over time and route
//     archive::find(a, query)               -> passes near a point, events: recording, second
//     archive::importCards(a, {folder}, options) -> with progress and cancel (ArchiveImport.h)
namespace archive {

class Archive
{
public:
    // The root used when none is given: "archive" in the user's data folder of the viewer.
    static QString defaultRoot();
    // The index file of an embedded archive.
    static QString sqliteFile(const QString& root);

    // Opens (and creates, for an SQLite index in a writable folder) the archive in `root`;
    // `database` empty for the embedded SQLite index, else a postgresql:// address.
    int open(const QString& root, const QString& database, QString* error);

    QString root() const { return m_root; }
    // The absolute path of a path relative to the root.
    QString absolutePath(const QString& relative) const;
    const ArchiveDatabase& db() const { return m_db; }
    bool isReadOnly() const { return m_db.isReadOnly(); }

private:
    QString m_root;
    ArchiveDatabase m_db;
};

} // namespace archive
