#include "PostgresServer.h"

#include "support/Process.h"

#include <QDir>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

namespace archivetest {

namespace {

std::unique_ptr<PostgresServer> g_server;
QString g_failure;

QString serverBinaries()
{
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto v = versions.rbegin(); v != versions.rend(); ++v) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return QString();
}

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// Runs a server program, as the postgres user when this process is root.
testsupport::ProcessResult runAsServerUser(const QString& program, const QStringList& args)
{
    if (geteuid() != 0)
        return testsupport::runProcess(program, args);
    return testsupport::runProcess(QStringLiteral("runuser"),
        QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program}
            + args);
}

} // namespace

PostgresServer* PostgresServer::shared(QString* error)
{
    if (!g_server && g_failure.isEmpty()) {
        std::unique_ptr<PostgresServer> server(new PostgresServer);
        if (server->start(&g_failure))
            g_server = std::move(server);
    }
    *error = g_failure;
    return g_server.get();
}

void PostgresServer::stopShared()
{
    g_server.reset();
}

PostgresServer::~PostgresServer()
{
    stop();
}

bool PostgresServer::start(QString* error)
{
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        *error = QStringLiteral("no PostgreSQL server installed (package postgresql)");
        return false;
    }
    m_folder
        = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("zyn-pg-XXXXXX")));
    if (!m_folder->isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    if (geteuid() == 0) {
        const passwd* user = getpwnam("postgres");
        if (!user) {
            *error = QStringLiteral("no postgres user to run the server as");
            return false;
        }
        if (chown(QFile::encodeName(m_folder->path()).constData(), user->pw_uid, user->pw_gid)
            != 0) {
            *error = QStringLiteral("cannot give the server's folder to postgres");
            return false;
        }
    }
    const QString data = m_folder->filePath(QStringLiteral("data"));
    const testsupport::ProcessResult init = runAsServerUser(m_bin + QStringLiteral("/initdb"),
        {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
            QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--no-sync"),
            QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")});
    if (init.exitCode != 0) {
        *error = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(init.err);
        return false;
    }
    m_port = freePort();
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                           "-c max_connections=50")
                                .arg(m_port)
                                .arg(m_folder->path());
    const testsupport::ProcessResult started = runAsServerUser(m_bin + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-l"),
            m_folder->filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
            QStringLiteral("start")});
    if (started.exitCode != 0) {
        *error = QStringLiteral("pg_ctl start failed: ") + QString::fromLocal8Bit(started.out)
            + QString::fromLocal8Bit(started.err);
        return false;
    }
    m_running = true;
    return true;
}

void PostgresServer::stop()
{
    if (!m_running)
        return;
    runAsServerUser(m_bin + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), m_folder->filePath(QStringLiteral("data")), QStringLiteral("-m"),
            QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    m_running = false;
}

QString PostgresServer::createDatabase(QString* error)
{
    const QString name = QStringLiteral("archive_%1").arg(++m_databases);
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(m_port);
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("CREATE DATABASE ") + name))
                *error = query.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(m_port).arg(name);
}

} // namespace archivetest
