#include "archive/Archive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace archive {

QString Archive::defaultRoot()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("Velqorin/ZYN Viewer/archive"));
}

QString Archive::sqliteFile(const QString& root)
{
    return QDir(root).filePath(QStringLiteral("archive.sqlite"));
}

int Archive::open(const QString& root, const QString& database, QString* error)
{
    m_root = QDir(root).absolutePath();
    if (database.isEmpty()) {
        if (!QFileInfo::exists(m_root) && !QDir().mkpath(m_root)) {
            *error = QCoreApplication::translate("archive", "cannot create the archive folder %1")
                         .arg(m_root);
            return CannotOpen;
        }
        return m_db.open(sqliteFile(m_root), error);
    }
    return m_db.open(database, error);
}

QString Archive::absolutePath(const QString& relative) const
{
    // Called for every row a search returns: a plain join, no QDir.
    return m_root.endsWith(QLatin1Char('/')) ? m_root + relative
                                             : m_root + QLatin1Char('/') + relative;
}

} // namespace archive
