#pragma once

#include "archive/Dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class QSqlQuery;

// One connection to an archive's index: an SQLite file (the default, embedded) or a PostgreSQL
// database shared by a fleet's PCs. Opening creates the tables of an empty database, migrates
// an older schema forward and refuses, untouched, a database that is not an archive or whose
// schema is newer than this program knows.
//
// Qt's connections belong to the thread that opened them: a worker opens its own.
namespace archive {

enum OpenCode : int {
    Opened = 0,
    CannotOpen = 1, // no such server, no permission, no SQL driver
    NotAnArchive = 2, // a file or database of something else: left alone
    NewerSchema = 3, // written by a newer program: left alone
    CannotCreate = 4, // the tables could not be made or migrated
};

class ArchiveDatabase
{
public:
    // The schema this program writes; migrations bring every older one up to it.
    static constexpr int kSchemaVersion = 2;

    ArchiveDatabase();
    ~ArchiveDatabase();
    ArchiveDatabase(const ArchiveDatabase&) = delete;
    ArchiveDatabase& operator=(const ArchiveDatabase&) = delete;

    // `location` is a file path for SQLite or "postgresql://[user[:password]@]host[:port]/name"
    // (options such as "?sslmode=require" pass on to the server). An SQLite file that cannot be
    // written is opened for reading only. Returns an OpenCode; `error` says why in a line.
    int open(const QString& location, QString* error);
    void close();

    bool isOpen() const { return m_open; }
    bool isReadOnly() const { return m_readOnly; }
    const Dialect& dialect() const { return m_dialect; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_connection, false); }

    // Prepares and runs one statement with positional values; false, with the database's
    // reason in `error`, when it fails.
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {},
        QString* error = nullptr) const;
    bool run(const QString& sql, const QVariantList& values = {}, QString* error = nullptr) const;

private:
    int openSqlite(const QString& path, QString* error);
    int openPostgres(const QString& url, QString* error);
    int prepareSchema(QString* error);
    int readVersion(int* version, QString* error);
    bool migrate(int from, QString* error);

    QString m_connection;
    Dialect m_dialect{Backend::SQLite};
    bool m_open = false;
    bool m_readOnly = false;
};

// A transaction that writes; rolled back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(const ArchiveDatabase& db, QString* error = nullptr);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit(QString* error = nullptr);
    void rollback();

private:
    const ArchiveDatabase& m_db;
    bool m_active = false;
};

} // namespace archive
