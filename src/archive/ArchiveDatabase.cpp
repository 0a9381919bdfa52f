#include "archive/ArchiveDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>

namespace archive {

namespace {

std::atomic<int> g_connections{0};

// The tables of schema version 1. %ID% is the dialect's own key column, %KEYED% what follows
// a table found by its whole key.
const char* const kVersion1[] = {
    "CREATE TABLE vehicle (id %ID%, name TEXT NOT NULL UNIQUE)",
    "CREATE TABLE drive (id %ID%, vehicle_id BIGINT NOT NULL REFERENCES vehicle(id), "
    "camera_start BIGINT NOT NULL, camera_end BIGINT NOT NULL, utc_start BIGINT, "
    "recordings INTEGER NOT NULL, distance_km DOUBLE PRECISION NOT NULL, "
    "max_speed_kmh DOUBLE PRECISION NOT NULL, mean_moving_kmh DOUBLE PRECISION NOT NULL, "
    "moving_s BIGINT NOT NULL, stopped_s BIGINT NOT NULL, clock_known INTEGER NOT NULL, "
    "clock_zone_h INTEGER NOT NULL, clock_drift_s INTEGER NOT NULL, "
    "clock_jump_s INTEGER NOT NULL)",
    "CREATE INDEX drive_vehicle_time ON drive (vehicle_id, camera_start)",
    "CREATE INDEX drive_time ON drive (camera_start)",
    "CREATE TABLE recording (id %ID%, vehicle_id BIGINT NOT NULL REFERENCES vehicle(id), "
    "name TEXT NOT NULL, path TEXT NOT NULL UNIQUE, kind TEXT NOT NULL, "
    "camera_start BIGINT NOT NULL, length_s INTEGER NOT NULL, size BIGINT NOT NULL, "
    "codec TEXT NOT NULL, sha256 TEXT NOT NULL, has_telemetry INTEGER NOT NULL, "
    "state INTEGER NOT NULL, drive_id BIGINT REFERENCES drive(id) ON DELETE SET NULL, "
    "imported_at BIGINT NOT NULL, UNIQUE (vehicle_id, name, sha256))",
    "CREATE INDEX recording_time ON recording (vehicle_id, camera_start)",
    "CREATE INDEX recording_start ON recording (camera_start)",
    "CREATE INDEX recording_drive ON recording (drive_id)",
    "CREATE TABLE event (id %ID%, drive_id BIGINT NOT NULL REFERENCES drive(id) ON DELETE "
    "CASCADE, recording_id BIGINT NOT NULL REFERENCES recording(id), second INTEGER NOT NULL, "
    "seconds INTEGER NOT NULL, kind TEXT NOT NULL, camera_time BIGINT NOT NULL, utc BIGINT, "
    "strength DOUBLE PRECISION NOT NULL, text TEXT NOT NULL)",
    "CREATE INDEX event_kind_time ON event (kind, camera_time)",
    "CREATE INDEX event_kind_utc ON event (kind, utc)",
    "CREATE INDEX event_drive ON event (drive_id)",
    "CREATE TABLE track (recording_id BIGINT NOT NULL REFERENCES recording(id), "
    "second INTEGER NOT NULL, utc BIGINT, latitude DOUBLE PRECISION NOT NULL, "
    "longitude DOUBLE PRECISION NOT NULL, speed_kmh DOUBLE PRECISION NOT NULL, "
    "course DOUBLE PRECISION NOT NULL, PRIMARY KEY (recording_id, second))%KEYED%",
    // The track's seconds in runs of a few, each with the rectangle around its fixes: the
    // spatial index holds a tenth of the rows it would for every second.
    "CREATE TABLE track_box (id %ID%, recording_id BIGINT NOT NULL REFERENCES recording(id), "
    "first_second INTEGER NOT NULL, last_second INTEGER NOT NULL, "
    "min_lat DOUBLE PRECISION NOT NULL, max_lat DOUBLE PRECISION NOT NULL, "
    "min_lon DOUBLE PRECISION NOT NULL, max_lon DOUBLE PRECISION NOT NULL)",
};

// Version 2: an event keeps the place and speed of its second, so a search for events never
// reaches into the track, whose rows lie all over a large index.
const char* const kVersion2[] = {
    "ALTER TABLE event ADD COLUMN latitude DOUBLE PRECISION",
    "ALTER TABLE event ADD COLUMN longitude DOUBLE PRECISION",
    "ALTER TABLE event ADD COLUMN speed_kmh DOUBLE PRECISION",
    "UPDATE event SET latitude = (SELECT t.latitude FROM track t WHERE t.recording_id = "
    "event.recording_id AND t.second = event.second), longitude = (SELECT t.longitude FROM "
    "track t WHERE t.recording_id = event.recording_id AND t.second = event.second), "
    "speed_kmh = (SELECT t.speed_kmh FROM track t WHERE t.recording_id = event.recording_id "
    "AND t.second = event.second)",
    "UPDATE schema_version SET version = 2",
};

bool isPostgresUrl(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"))
        || location.startsWith(QLatin1String("postgres://"));
}

} // namespace

ArchiveDatabase::ArchiveDatabase()
    : m_connection(QStringLiteral("zyn-archive-%1").arg(g_connections++))
{ }

ArchiveDatabase::~ArchiveDatabase()
{
    close();
}

void ArchiveDatabase::close()
{
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_open = false;
}

int ArchiveDatabase::open(const QString& location, QString* error)
{
    close();
    const int code
        = isPostgresUrl(location) ? openPostgres(location, error) : openSqlite(location, error);
    if (code != Opened) {
        close();
        return code;
    }
    const int prepared = prepareSchema(error);
    if (prepared != Opened) {
        close();
        return prepared;
    }
    m_open = true;
    return Opened;
}

int ArchiveDatabase::openSqlite(const QString& path, QString* error)
{
    m_dialect = Dialect(Backend::SQLite);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        *error = QCoreApplication::translate(
            "archive", "the SQLite driver of Qt is missing (package libqt6sql6-sqlite)");
        return CannotOpen;
    }
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    m_readOnly = file.exists() ? !file.isWritable() || !folder.isWritable() : false;
    if (!file.exists() && !folder.isWritable()) {
        *error = QCoreApplication::translate(
            "archive", "cannot create the archive's index in %1: the folder is not writable")
                     .arg(folder.absoluteFilePath());
        return CannotOpen;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    // Another importer may hold the write lock for a recording's transaction: wait for it.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000");
    if (m_readOnly) {
        // Where nothing can be written, SQLite cannot make the files its write-ahead log
        // needs to be read; nobody can change the index there either, so it is read as it
        // stands.
        db.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString()
            + QStringLiteral("?immutable=1"));
        options += QLatin1String(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
    } else {
        db.setDatabaseName(path);
    }
    db.setConnectOptions(options);
    if (!db.open()) {
        *error = QCoreApplication::translate("archive", "cannot open %1: %2")
                     .arg(path, db.lastError().text());
        return CannotOpen;
    }
    // A file that is not a database fails its first read: found before anything is written.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        *error = QCoreApplication::translate(
            "archive", "%1 is not an archive's index (%2); it was left as it is")
                     .arg(path, probe.lastError().text());
        return NotAnArchive;
    }
    probe.finish();
    for (const QString& statement : m_dialect.connectionSetup()) {
        if (m_readOnly && statement.contains(QLatin1String("journal_mode")))
            continue;
        QString reason;
        if (!run(statement, {}, &reason)) {
            *error = QCoreApplication::translate("archive", "cannot open %1: %2").arg(path, reason);
            return CannotOpen;
        }
    }
    return Opened;
}

int ArchiveDatabase::openPostgres(const QString& location, QString* error)
{
    m_dialect = Dialect(Backend::PostgreSQL);
    m_readOnly = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        *error = QCoreApplication::translate(
            "archive", "the PostgreSQL driver of Qt is missing (package libqt6sql6-psql)");
        return CannotOpen;
    }
    const QUrl url(location);
    const QString name = url.path().mid(1);
    if (!url.isValid() || name.isEmpty()) {
        *error = QCoreApplication::translate(
            "archive", "%1 does not name a database (postgresql://user@host:port/name)")
                     .arg(url.toDisplayString(QUrl::RemovePassword));
        return CannotOpen;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    db.setHostName(url.host().isEmpty() ? QStringLiteral("localhost") : url.host());
    db.setPort(url.port(5432));
    db.setDatabaseName(name);
    db.setUserName(url.userName());
    db.setPassword(url.password());
    QStringList options{QStringLiteral("connect_timeout=10")};
    const QUrlQuery query(url);
    for (const auto& item : query.queryItems(QUrl::FullyDecoded))
        options << item.first + QLatin1Char('=') + item.second;
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        *error = QCoreApplication::translate("archive", "cannot connect to %1: %2")
                     .arg(url.toDisplayString(QUrl::RemovePassword), db.lastError().text());
        return CannotOpen;
    }
    for (const QString& statement : m_dialect.connectionSetup())
        run(statement);
    return Opened;
}

int ArchiveDatabase::readVersion(int* version, QString* error)
{
    // A table list that every archive has, whatever its version.
    const QStringList tables = database().tables();
    if (!tables.contains(QLatin1String("schema_version"))) {
        *version = 0;
        // Tables of something else: not ours to change.
        if (m_dialect.backend() == Backend::SQLite && !tables.isEmpty()) {
            *error = QCoreApplication::translate(
                "archive", "%1 holds tables of another program; it was left as it is")
                         .arg(database().databaseName());
            return NotAnArchive;
        }
        return Opened;
    }
    QSqlQuery query(database());
    if (!run(query, QStringLiteral("SELECT max(version) FROM schema_version"), {}, error))
        return NotAnArchive;
    *version = query.next() ? query.value(0).toInt() : 0;
    return Opened;
}

int ArchiveDatabase::prepareSchema(QString* error)
{
    int version = 0;
    if (const int code = readVersion(&version, error); code != Opened)
        return code;
    if (version == kSchemaVersion)
        return Opened;
    if (version > kSchemaVersion) {
        *error = QCoreApplication::translate("archive",
            "the archive's index was written by a newer program (schema %1, this "
            "one knows %2); it was left as it is: update the program")
                     .arg(version)
                     .arg(kSchemaVersion);
        return NewerSchema;
    }
    if (m_readOnly) {
        *error = QCoreApplication::translate(
            "archive", "the archive's index needs an update but cannot be written");
        return CannotCreate;
    }
    // Two programs opening a new archive at once: the second waits and then finds it made.
    WriteTransaction transaction(*this, error);
    if (!transaction.isActive())
        return CannotCreate;
    if (!m_dialect.schemaLock().isEmpty() && !run(m_dialect.schemaLock(), {}, error))
        return CannotCreate;
    if (const int code = readVersion(&version, error); code != Opened)
        return code;
    if (version > kSchemaVersion) {
        *error = QCoreApplication::translate("archive",
            "the archive's index was written by a newer program; it was left as "
            "it is");
        return NewerSchema;
    }
    if (version < kSchemaVersion && !migrate(version, error))
        return CannotCreate;
    return transaction.commit(error) ? Opened : CannotCreate;
}

// Each step takes the schema from one version to the next; a new version adds a step and
// never changes an old one, so every archive ever written can be brought forward.
bool ArchiveDatabase::migrate(int from, QString* error)
{
    if (from == 0) {
        if (!run(QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"), {},
                error))
            return false;
        for (const char* text : kVersion1) {
            QString sql = QString::fromLatin1(text);
            sql.replace(QLatin1String("%ID%"), m_dialect.idColumn());
            sql.replace(QLatin1String("%KEYED%"), m_dialect.keyedTableSuffix());
            if (!run(sql, {}, error))
                return false;
        }
        for (const QString& sql : m_dialect.spatialSchema()) {
            if (!run(sql, {}, error))
                return false;
        }
        if (!run(QStringLiteral("INSERT INTO schema_version (version) VALUES (1)"), {}, error))
            return false;
    }
    if (from <= 1) {
        for (const char* text : kVersion2) {
            if (!run(QString::fromLatin1(text), {}, error))
                return false;
        }
    }
    return true;
}

bool ArchiveDatabase::run(
    QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error) const
{
    if (!query.prepare(sql)) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    return true;
}

bool ArchiveDatabase::run(const QString& sql, const QVariantList& values, QString* error) const
{
    QSqlQuery query(database());
    if (values.isEmpty()) {
        if (!query.exec(sql)) {
            if (error)
                *error = query.lastError().text();
            return false;
        }
        return true;
    }
    return run(query, sql, values, error);
}

WriteTransaction::WriteTransaction(const ArchiveDatabase& db, QString* error)
    : m_db(db)
{
    m_active = m_db.run(m_db.dialect().beginWrite(), {}, error);
}

WriteTransaction::~WriteTransaction()
{
    rollback();
}

bool WriteTransaction::commit(QString* error)
{
    if (!m_active)
        return false;
    m_active = false;
    if (m_db.run(QStringLiteral("COMMIT"), {}, error))
        return true;
    m_db.run(QStringLiteral("ROLLBACK"));
    return false;
}

void WriteTransaction::rollback()
{
    if (m_active)
        m_db.run(QStringLiteral("ROLLBACK"));
    m_active = false;
}

} // namespace archive
