#include "ArchiveFixtures.h"

#include "DriveSimulator.h"

#include "archive/ArchiveQueries.h"
#include "support/Process.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>

using namespace archivetest;

namespace {

const QDateTime kUtcStart(QDate(2025, 5, 3), QTime(11, 20, 0), Qt::UTC);

// The demo card writer's card (video and all), made once for the program.
QString demoCard()
{
    static QTemporaryDir folder;
    static bool made = false;
    const QString card = folder.filePath(QStringLiteral("card"));
    if (!made) {
        made = testsupport::runProcess(QStringLiteral(ZYN_CARDGEN),
                   {QStringLiteral("--length"), QStringLiteral("10"), card})
                   .exitCode
            == 0;
    }
    return made ? card : QString();
}

class ArchiveCommandTest : public ArchiveTest
{
protected:
    testsupport::ProcessResult archiveCommand(const QStringList& args)
    {
        return testsupport::runProcess(QStringLiteral(ZYN_ARCHIVE), archiveArguments() + args);
    }
};

} // namespace

TEST_P(ArchiveCommandTest, DemoCardImportedTwiceFoundAndClipped)
{
    const QString card = demoCard();
    ASSERT_FALSE(card.isEmpty());
    const testsupport::ProcessResult first = archiveCommand({"import", "--vehicle", "demo", card});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out.count("imported\t"), 5);
    EXPECT_TRUE(first.err.contains("5 imported")) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("clock +3 h, exact")) << first.err.toStdString();
    const testsupport::ProcessResult second = archiveCommand({"import", "--vehicle", "demo", card});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out.count("already in the archive\t"), 5);
    EXPECT_EQ(filesUnder(root() + QStringLiteral("/demo")).size(), 5);

    const testsupport::ProcessResult found = archiveCommand({"find", "--kind", "camera", "--json"});
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    const QJsonArray moments = QJsonDocument::fromJson(found.out).object()["moments"].toArray();
    ASSERT_FALSE(moments.isEmpty());
    for (const QJsonValue& m : moments) {
        EXPECT_EQ(m["vehicle"].toString(), QStringLiteral("demo"));
        EXPECT_TRUE(QFile::exists(m["recording"].toString()));
    }
    const testsupport::ProcessResult drives = archiveCommand({"drives"});
    EXPECT_EQ(drives.exitCode, 0);
    EXPECT_EQ(drives.out.count('\n'), 1) << drives.out.toStdString();

    // The first camera event, 15 s either side, as zyn-clip writes it.
    const QString out = folder(QStringLiteral("clips"));
    const QString from = moments[0]["time"].toString().replace('T', ' ');
    const testsupport::ProcessResult clipped = archiveCommand(
        {"clip", "--kind", "camera", "--from", from, "--to", from.left(17) + "59", "-o", out});
    ASSERT_EQ(clipped.exitCode, 0) << clipped.err.toStdString();
    const QStringList clips = QDir(out).entryList({QStringLiteral("clip_*.mp4")}, QDir::Files);
    ASSERT_FALSE(clips.isEmpty()) << clipped.err.toStdString();
    const testsupport::ProcessResult telemetry = testsupport::runProcess(
        QStringLiteral(ZYN_TELEMETRY), {"--summary", QDir(out).filePath(clips[0])});
    EXPECT_EQ(telemetry.exitCode, 0) << telemetry.err.toStdString();
    const testsupport::ProcessResult check = archiveCommand({"check"});
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
}

TEST_P(ArchiveCommandTest, TwoImportersAtOnceLoseAndDoubleNothing)
{
    const QList<DriveSecond> drive = simulateDrive(kUtcStart, 600, 61, {200});
    for (int i = 0; i < 10; ++i)
        writeRecording(folder(i < 5 ? "card-1" : "card-2"), "drf_", drive, i * 60, 60, 3 * 3600);
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
    }
    // Both cards by both importers, in opposite order, at the same time.
    QProcess one, two;
    one.start(QStringLiteral(ZYN_ARCHIVE),
        archiveArguments()
            + QStringList{"import", "--vehicle", "bus", folder("card-1"), folder("card-2")});
    two.start(QStringLiteral(ZYN_ARCHIVE),
        archiveArguments()
            + QStringList{"import", "--vehicle", "bus", folder("card-2"), folder("card-1")});
    ASSERT_TRUE(one.waitForFinished(120000));
    ASSERT_TRUE(two.waitForFinished(120000));
    EXPECT_EQ(one.exitCode(), 0) << one.readAllStandardError().toStdString();
    EXPECT_EQ(two.exitCode(), 0) << two.readAllStandardError().toStdString();
    archive::Archive a;
    ASSERT_TRUE(open(a));
    QSqlQuery q(a.db().database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*), count(DISTINCT name) FROM recording")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 10);
    EXPECT_EQ(q.value(1).toInt(), 10);
    EXPECT_EQ(filesUnder(root() + QStringLiteral("/bus")).size(), 10);
    std::vector<archive::DriveRow> rows;
    QString error;
    ASSERT_TRUE(archive::drives(a, {}, &rows, &error));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].recordings, 10);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM recording WHERE drive_id IS NULL")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

TEST_P(ArchiveCommandTest, WrongCommandLinesAreNamed)
{
    EXPECT_EQ(archiveCommand({"find"}).exitCode, 1);
    EXPECT_EQ(archiveCommand({"find", "--near", "95,10"}).exitCode, 1);
    EXPECT_EQ(archiveCommand({"find", "--kind", "sneeze"}).exitCode, 1);
    EXPECT_EQ(archiveCommand({"import"}).exitCode, 1);
    const testsupport::ProcessResult vehicle
        = archiveCommand({"import", "--vehicle", "../up", folder("empty")});
    EXPECT_EQ(vehicle.exitCode, 1);
    EXPECT_TRUE(vehicle.err.contains("cannot name a vehicle")) << vehicle.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, ArchiveCommandTest,
    ::testing::Values(Backend::SQLite, Backend::PostgreSQL), backendName);
