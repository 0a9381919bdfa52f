#pragma once

#include <QString>

// Where the viewer keeps its archive: the folder of the recordings and, for a fleet, the
// PostgreSQL database that indexes them. Both come from the viewer's configuration, so the
// viewer and zyn-archive, given the same folder and database, see one archive.
namespace archivewin {

struct ArchiveLocation
{
    QString root; // the archive folder
    QString database; // empty: the SQLite index in the folder; else a postgresql:// address
};

// The configuration value (under the viewer's key) that names the archive: lines of
// "folder=PATH" and "database=postgresql://...". Absent names take the defaults.
inline constexpr const char* kLocationValueName = "archive";

ArchiveLocation parseLocation(const QString& text);
QString formatLocation(const ArchiveLocation& location);

// The stored location, with the archive's default folder when none is named.
ArchiveLocation storedLocation();

} // namespace archivewin
