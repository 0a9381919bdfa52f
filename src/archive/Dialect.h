#pragma once

#include <QString>
#include <QVariantList>

class QSqlDatabase;

// The few places where SQLite and PostgreSQL want different words. Everything else, the tables
// and every query, is one text for both.
namespace archive {

enum class Backend { SQLite, PostgreSQL };

class Dialect
{
public:
    explicit Dialect(Backend backend)
        : m_backend(backend)
    { }
    Backend backend() const { return m_backend; }

    // A table's own key, numbered by the database.
    QString idColumn() const;
    // Words after a table whose rows are found by their whole key only.
    QString keyedTableSuffix() const;
    // What makes the track's boxes searchable by place.
    QStringList spatialSchema() const;
    // After rows of track_box are inserted: the statement up to its VALUES, which the rows'
    // (id, min_lat, max_lat, min_lon, max_lon) follow.
    QString spatialInsert() const;
    // Joined after "FROM track_box b": the boxes that overlap a rectangle, whose values
    // spatialValues() gives in the condition's order.
    QString spatialJoin() const;
    QString spatialCondition() const;
    QVariantList spatialValues(double south, double north, double west, double east) const;
    // Starts a transaction that writes: SQLite takes its write lock at once, so two writers
    // wait for each other instead of failing midway.
    QString beginWrite() const;
    // Within a transaction: waits until no other connection changes the schema.
    QString schemaLock() const;
    // Set on each new connection.
    QStringList connectionSetup() const;

private:
    Backend m_backend;
};

} // namespace archive
