#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of the tests' own: initdb into a temporary folder and pg_ctl on a free
// port of the loopback address, as the unprivileged "postgres" user when the tests run as root
// (the server refuses root). Started on first use, stopped when the test program ends.
namespace archivetest {

class PostgresServer
{
public:
    // The running server, or null (with the reason in `error`) when it cannot be started.
    static PostgresServer* shared(QString* error);
    // Stops the shared server, if one was started.
    static void stopShared();

    ~PostgresServer();

    // A new, empty database: its postgresql:// address.
    QString createDatabase(QString* error);
    int port() const { return m_port; }

private:
    PostgresServer() = default;
    bool start(QString* error);
    void stop();

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_bin;
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
};

} // namespace archivetest
