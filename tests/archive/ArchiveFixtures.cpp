#include "ArchiveFixtures.h"

#include "DriveSimulator.h"
#include "PostgresServer.h"
#include "recording/UdatWriter.h"
#include "support/RecordingBuilder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace archivetest {

namespace {

QByteArray movieBox(int seconds)
{
    QByteArray mvhd(100, '\0');
    const uint32_t timescale = 1000, duration = uint32_t(seconds) * 1000;
    for (int i = 0; i < 4; ++i) {
        mvhd[12 + i] = char(timescale >> (24 - 8 * i));
        mvhd[16 + i] = char(duration >> (24 - 8 * i));
    }
    return testsupport::box("moov", testsupport::box("mvhd", mvhd));
}

QString nameFor(const QString& prefix, const QDateTime& cameraStart)
{
    return prefix + cameraStart.toString(QStringLiteral("yyyyMMdd_HHmmss"))
        + QStringLiteral(".mp4");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

void ArchiveTest::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    if (GetParam() == Backend::PostgreSQL) {
        QString error;
        PostgresServer* server = PostgresServer::shared(&error);
        ASSERT_NE(server, nullptr) << error.toStdString();
        m_database = server->createDatabase(&error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }
}

QString ArchiveTest::folder(const QString& name) const
{
    const QString path = m_folder.filePath(name);
    QDir().mkpath(path);
    return path;
}

bool ArchiveTest::open(archive::Archive& archive) const
{
    QString error;
    const int code = archive.open(root(), m_database, &error);
    EXPECT_EQ(code, archive::Opened) << error.toStdString();
    return code == archive::Opened;
}

QStringList ArchiveTest::archiveArguments() const
{
    QStringList args{QStringLiteral("--archive"), root()};
    if (!m_database.isEmpty())
        args << QStringLiteral("--db") << m_database;
    return args;
}

QList<DriveSecond> simulateDrive(
    const QDateTime& utcStart, int seconds, quint32 seed, const QList<int>& brakes)
{
    DriveSimulator::Plan plan;
    plan.startUtc = utcStart;
    plan.seconds = seconds;
    plan.seed = seed;
    for (int s : brakes)
        plan.hardBrakes.insert(s);
    return DriveSimulator::simulate(plan);
}

QString writeRecording(const QString& folder, const QString& prefix,
    const QList<DriveSecond>& drive, int from, int count, qint64 clockOffset,
    const QList<int>& eventSeconds)
{
    const QDateTime utc = drive[from].fix.utc.toUTC();
    const QDateTime camera = QDateTime(utc.date(), utc.time(), Qt::UTC).addSecs(clockOffset);
    const QString path = QDir(folder).filePath(nameFor(prefix, camera));
    UdatWriter udat;
    for (int s = from; s < from + count; ++s) {
        const DriveSecond& d = drive[s];
        udat.addRecord(
            std::uint32_t(d.fix.utc.toSecsSinceEpoch()), nmea::rmcSentence(d.fix), d.x, d.y, d.z);
    }
    QList<QDateTime> moments;
    for (int s : eventSeconds)
        moments.append(camera.addSecs(s));
    QByteArray bytes = testsupport::box("ftyp", QByteArray("isom\0\0\2\0", 8))
        + testsupport::box("mdat", QByteArray(2048 + from % 97, char(from))) + movieBox(count)
        + udat.udatBox();
    if (!moments.isEmpty())
        bytes += UdatWriter::eventBox(moments);
    return writeFile(path, bytes) ? path : QString();
}

QStringList writeDrive(
    const QString& folder, const QList<DriveSecond>& drive, int length, qint64 clockOffset)
{
    QStringList paths;
    for (int from = 0, i = 0; from + length <= drive.size(); from += length, ++i) {
        const bool event = i % 3 == 1;
        paths << writeRecording(folder, event ? QStringLiteral("evt_") : QStringLiteral("drf_"),
            drive, from, length, clockOffset, event ? QList<int>{length / 2} : QList<int>{});
    }
    return paths;
}

QString writeSentences(
    const QString& folder, const QString& name, const QList<QByteArray>& sentences)
{
    UdatWriter udat;
    for (int i = 0; i < sentences.size(); ++i)
        udat.addRecord(std::uint32_t(i), sentences[i], 0, 0, 1);
    const QString path = QDir(folder).filePath(name);
    const QByteArray bytes = testsupport::box("ftyp", QByteArray("isom\0\0\2\0", 8))
        + testsupport::box("mdat", QByteArray(1024, 'v')) + movieBox(int(sentences.size()))
        + udat.udatBox();
    return writeFile(path, bytes) ? path : QString();
}

QString writeUnclosed(const QString& folder, const QString& name, int bytes)
{
    const QString path = QDir(folder).filePath(name);
    const QByteArray data = testsupport::box("ftyp", QByteArray("isom\0\0\2\0", 8))
        + testsupport::box("mdat", QByteArray(bytes, 'u'));
    return writeFile(path, data) ? path : QString();
}

QByteArray sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// Stops the tests' server when the program ends, whichever test started it.
class ServerEnvironment : public ::testing::Environment
{
public:
    void TearDown() override { PostgresServer::stopShared(); }
};
const ::testing::Environment* const g_environment
    = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

} // namespace archivetest
