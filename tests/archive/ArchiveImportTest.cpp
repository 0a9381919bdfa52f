#include "ArchiveFixtures.h"

#include "DriveSimulator.h"
#include "archive/ArchiveImport.h"
#include "archive/ArchiveQueries.h"
#include "drive/DriveAnalysis.h"
#include "support/SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace archivetest;

namespace {

const QDateTime kUtcStart(QDate(2025, 5, 3), QTime(11, 20, 0), Qt::UTC);
constexpr qint64 kMoscow = 3 * 3600;

archive::ImportOptions options(const QString& vehicle = QStringLiteral("truck"))
{
    archive::ImportOptions o;
    o.vehicle = vehicle;
    return o;
}

qint64 count(const archive::Archive& a, const QString& table)
{
    QSqlQuery q(a.db().database());
    if (!q.exec(QStringLiteral("SELECT count(*) FROM ") + table) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

std::vector<archive::DriveRow> allDrives(const archive::Archive& a)
{
    std::vector<archive::DriveRow> rows;
    QString error;
    EXPECT_TRUE(archive::drives(a, {}, &rows, &error)) << error.toStdString();
    return rows;
}

class ArchiveImportTest : public ArchiveTest
{
protected:
    // A card of six one-minute recordings of one drive.
    QStringList writeCard(const QString& name, int recordings = 6)
    {
        return writeDrive(
            folder(name), simulateDrive(kUtcStart, 60 * recordings, 7, {100, 250}), 60, kMoscow);
    }
};

} // namespace

TEST_P(ArchiveImportTest, SecondImportOfACardCopiesNothing)
{
    const QStringList card = writeCard(QStringLiteral("card"));
    archive::Archive a;
    ASSERT_TRUE(open(a));
    const archive::ImportReport first = archive::importCards(a, {folder("card")}, options());
    EXPECT_EQ(first.count(archive::ImportOutcome::Imported), 6);
    EXPECT_FALSE(first.writeFailed);
    for (const archive::ImportItem& item : first.items) {
        EXPECT_TRUE(item.path.startsWith(root() + QStringLiteral("/truck/2025/05/03/")))
            << item.path.toStdString();
        EXPECT_EQ(sha256(item.path), sha256(item.source));
    }
    const QStringList stored = filesUnder(root() + QStringLiteral("/truck"));

    const archive::ImportReport second = archive::importCards(a, {folder("card")}, options());
    EXPECT_EQ(second.count(archive::ImportOutcome::Skipped), 6);
    EXPECT_EQ(second.count(archive::ImportOutcome::Imported), 0);
    EXPECT_EQ(filesUnder(root() + QStringLiteral("/truck")), stored);
    EXPECT_EQ(count(a, QStringLiteral("recording")), 6);
    EXPECT_EQ(allDrives(a).size(), 1u);

    // The drive as zyn-telemetry --summary forms it from the card.
    const drive::Analysis expected = drive::analyseRecordings({folder("card")});
    ASSERT_EQ(expected.drives.size(), 1u);
    const archive::DriveRow d = allDrives(a).front();
    EXPECT_EQ(d.recordings, 6);
    EXPECT_DOUBLE_EQ(d.distanceKm, expected.drives[0].distanceKm);
    EXPECT_EQ(d.events, int(expected.drives[0].events.size()));
    EXPECT_EQ(d.movingSeconds, expected.drives[0].movingSeconds);
}

TEST_P(ArchiveImportTest, ImportKilledMidwayResumesWithNothingLostOrDoubled)
{
    writeCard(QStringLiteral("card"));
    const QString card = folder("card");
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
    }
    // The importer dies, as by a pulled plug, with its fourth copy written but not yet checked.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        archive::Archive a;
        QString error;
        if (a.open(root(), database(), &error) != archive::Opened)
            _exit(3);
        archive::ImportOptions o = options();
        int copies = 0;
        o.beforeReadBack = [&](const QString&) {
            if (++copies == 4)
                ::raise(SIGKILL);
        };
        archive::importCards(a, {card}, o);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
        EXPECT_EQ(count(a, QStringLiteral("recording")), 3);
    }
    archive::Archive a;
    ASSERT_TRUE(open(a));
    const archive::ImportReport resumed = archive::importCards(a, {card}, options());
    EXPECT_EQ(resumed.count(archive::ImportOutcome::Skipped), 3);
    EXPECT_EQ(resumed.count(archive::ImportOutcome::Imported), 3);
    EXPECT_EQ(count(a, QStringLiteral("recording")), 6);
    // Every recording once, whole, and no copy of the dead importer left lying about.
    const QStringList files = filesUnder(root() + QStringLiteral("/truck"));
    EXPECT_EQ(files.size(), 6) << files.join(' ').toStdString();
    for (const archive::ImportItem& item : resumed.items)
        EXPECT_EQ(sha256(item.path), sha256(item.source));
    ASSERT_EQ(allDrives(a).size(), 1u);
    EXPECT_EQ(allDrives(a).front().recordings, 6);
}

TEST_P(ArchiveImportTest, CopyDamagedOnTheWayIsCaughtByTheReadBack)
{
    const QStringList card = writeCard(QStringLiteral("card"), 3);
    archive::Archive a;
    ASSERT_TRUE(open(a));
    archive::ImportOptions o = options();
    o.beforeReadBack = [](const QString& copy) {
        if (!copy.contains(QLatin1String("evt_")))
            return;
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(100);
        file.write("X");
    };
    const archive::ImportReport report = archive::importCards(a, {folder("card")}, o);
    EXPECT_EQ(report.count(archive::ImportOutcome::Imported), 2);
    ASSERT_EQ(report.count(archive::ImportOutcome::Failed), 1);
    for (const archive::ImportItem& item : report.items) {
        if (item.outcome == archive::ImportOutcome::Failed) {
            EXPECT_TRUE(item.source.contains(QLatin1String("evt_")));
            EXPECT_TRUE(item.message.contains(QLatin1String("differs")))
                << item.message.toStdString();
        }
    }
    EXPECT_EQ(filesUnder(root() + QStringLiteral("/truck")).size(), 2);
    EXPECT_EQ(count(a, QStringLiteral("recording")), 2);

    // Imported again without the damage, it comes in whole.
    const archive::ImportReport again = archive::importCards(a, {folder("card")}, options());
    EXPECT_EQ(again.count(archive::ImportOutcome::Imported), 1);
    EXPECT_EQ(count(a, QStringLiteral("recording")), 3);
}

TEST_P(ArchiveImportTest, CutAndRecoveredRecordingsAreKeptAndListedAsSuch)
{
    const QString card = folder("card");
    const QList<DriveSecond> drive = simulateDrive(kUtcStart, 120, 3);
    writeRecording(card, QStringLiteral("drf_"), drive, 0, 60, kMoscow);
    const QString unclosed = writeUnclosed(card, QStringLiteral("drf_20250503_142200.mp4"));
    writeUnclosed(card, QStringLiteral("evt_20250503_143000.mp4"));
    const QString recovered
        = writeRecording(card, QStringLiteral("evt_"), drive, 60, 60, kMoscow + 600);
    QFile::rename(recovered, QString(recovered).replace(".mp4", "_recovered.mp4"));
    const QString cut = QString(recovered).replace("_recovered", "");
    writeUnclosed(card, QFileInfo(cut).fileName());
    archive::Archive a;
    ASSERT_TRUE(open(a));
    const archive::ImportReport report = archive::importCards(a, {card}, options());
    QMap<QString, archive::RecordingState> states;
    for (const archive::ImportItem& item : report.items) {
        EXPECT_NE(item.outcome, archive::ImportOutcome::Failed) << item.message.toStdString();
        states[QFileInfo(item.path).fileName()] = item.state;
    }
    EXPECT_EQ(states.value(QFileInfo(unclosed).fileName()), archive::RecordingState::Unclosed);
    EXPECT_EQ(
        states.value(QStringLiteral("evt_20250503_143000.mp4")), archive::RecordingState::Unclosed);
    EXPECT_EQ(states.value(QFileInfo(cut).fileName().replace(".mp4", "_recovered.mp4")),
        archive::RecordingState::Recovered);
    // The recovered copy stands in for its cut original.
    EXPECT_FALSE(states.contains(QFileInfo(cut).fileName()));
}

TEST_P(ArchiveImportTest, DriveContinuedByALaterImportIsOneDrive)
{
    const QList<DriveSecond> drive = simulateDrive(kUtcStart, 300, 11, {170});
    QStringList first, second;
    for (int i = 0; i < 5; ++i) {
        const QString card = folder(i < 3 ? "monday" : "monday-later");
        (i < 3 ? first : second) << writeRecording(card, "drf_", drive, i * 60, 60, kMoscow);
    }
    archive::Archive a;
    ASSERT_TRUE(open(a));
    archive::importCards(a, {folder("monday")}, options());
    ASSERT_EQ(allDrives(a).size(), 1u);
    EXPECT_EQ(allDrives(a).front().recordings, 3);
    const archive::ImportReport later
        = archive::importCards(a, {folder("monday-later")}, options());
    ASSERT_EQ(later.drives.size(), 1u);
    const std::vector<archive::DriveRow> drives = allDrives(a);
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives.front().recordings, 5);
    // Measured anew as a whole: as zyn-telemetry sees the five recordings together.
    const drive::Analysis expected = drive::analyseRecordings(first + second);
    ASSERT_EQ(expected.drives.size(), 1u);
    EXPECT_DOUBLE_EQ(drives.front().distanceKm, expected.drives[0].distanceKm);
    EXPECT_EQ(drives.front().events, int(expected.drives[0].events.size()));
    EXPECT_EQ(drives.front().cameraEnd - drives.front().cameraStart, 300);
}

TEST_P(ArchiveImportTest, SameNameWithOtherContentIsKeptBeside)
{
    const QList<DriveSecond> drive = simulateDrive(kUtcStart, 60, 5);
    const QString a1 = writeRecording(folder("card-a"), "drf_", drive, 0, 60, kMoscow);
    const QList<DriveSecond> other = simulateDrive(kUtcStart, 60, 6);
    const QString b1 = writeRecording(folder("card-b"), "drf_", other, 0, 60, kMoscow);
    ASSERT_EQ(QFileInfo(a1).fileName(), QFileInfo(b1).fileName());
    archive::Archive a;
    ASSERT_TRUE(open(a));
    archive::importCards(a, {folder("card-a")}, options());
    const archive::ImportReport report = archive::importCards(a, {folder("card-b")}, options());
    ASSERT_EQ(report.count(archive::ImportOutcome::KeptBeside), 1);
    const archive::ImportItem& item = report.items.front();
    EXPECT_TRUE(item.path.endsWith(QLatin1String("-2.mp4"))) << item.path.toStdString();
    EXPECT_FALSE(item.message.isEmpty());
    EXPECT_EQ(sha256(item.path), sha256(b1));
    EXPECT_EQ(count(a, QStringLiteral("recording")), 2);
}

TEST_P(ArchiveImportTest, OlderSchemaIsBroughtForwardWithItsData)
{
    writeCard(QStringLiteral("card"), 3);
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
        archive::importCards(a, {folder("card")}, options());
        // As the first schema left it: events without their place and speed.
        for (const char* column : {"latitude", "longitude", "speed_kmh"})
            ASSERT_TRUE(a.db().run(QStringLiteral("ALTER TABLE event DROP COLUMN ") + column));
        ASSERT_TRUE(a.db().run(QStringLiteral("UPDATE schema_version SET version = 1")));
    }
    archive::Archive a;
    ASSERT_TRUE(open(a));
    QSqlQuery q(a.db().database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), archive::ArchiveDatabase::kSchemaVersion);
    archive::Query query;
    query.kinds = {QStringLiteral("braking")};
    std::vector<archive::Moment> found;
    QString error;
    ASSERT_TRUE(archive::find(a, query, &found, &error)) << error.toStdString();
    ASSERT_FALSE(found.empty());
    for (const archive::Moment& m : found) {
        EXPECT_TRUE(m.hasPosition);
        EXPECT_GT(m.speedKmh, 0);
    }
    EXPECT_EQ(count(a, QStringLiteral("recording")), 3);
}

TEST_P(ArchiveImportTest, NewerSchemaIsRefusedAndLeftUntouched)
{
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
        ASSERT_TRUE(a.db().run(QStringLiteral("UPDATE schema_version SET version = 99")));
    }
    const QByteArray before = sha256(archive::Archive::sqliteFile(root()));
    archive::Archive a;
    QString error;
    EXPECT_EQ(a.open(root(), database(), &error), archive::NewerSchema);
    EXPECT_TRUE(error.contains(QLatin1String("newer"))) << error.toStdString();
    EXPECT_EQ(sha256(archive::Archive::sqliteFile(root())), before);
}

TEST_P(ArchiveImportTest, FullDiskFailsClearlyAndKeepsWhatWasImported)
{
    testsupport::SmallFileSystem disk(200);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system takes the superuser";
    // The index on the small disk too when it is the embedded one.
    const QString archiveRoot = disk.path() + QStringLiteral("/archive");
    writeDrive(folder("card"), simulateDrive(kUtcStart, 600, 2), 60, kMoscow);
    const QStringList card = QDir(folder("card")).entryList(QDir::Files);
    archive::Archive a;
    QString error;
    ASSERT_EQ(a.open(archiveRoot, database(), &error), archive::Opened) << error.toStdString();
    // Room for the index and a few recordings, not for ten.
    ASSERT_TRUE(disk.fill());
    const qint64 room = QFileInfo(disk.path() + QStringLiteral("/filler")).size();
    ASSERT_TRUE(disk.unfill());
    {
        QFile ballast(disk.path() + QStringLiteral("/ballast"));
        ASSERT_TRUE(ballast.open(QIODevice::WriteOnly));
        ballast.write(QByteArray(int(room) - 48 * 1024, 'b'));
    }
    const archive::ImportReport report = archive::importCards(a, {folder("card")}, options());
    EXPECT_TRUE(report.writeFailed);
    EXPECT_GT(report.count(archive::ImportOutcome::Failed), 0);
    int indexed = 0;
    for (const archive::ImportItem& item : report.items) {
        if (item.outcome == archive::ImportOutcome::Imported) {
            ++indexed;
            EXPECT_EQ(sha256(item.path), sha256(item.source));
        } else {
            EXPECT_FALSE(item.message.isEmpty());
        }
    }
    // Nothing half-written: the files under the vehicle are exactly those indexed.
    EXPECT_EQ(filesUnder(archiveRoot + QStringLiteral("/truck")).size(), indexed);
    EXPECT_EQ(count(a, QStringLiteral("recording")), indexed);
}

TEST_P(ArchiveImportTest, ReadOnlyArchiveRefusesImportButAnswers)
{
    testsupport::SmallFileSystem disk(2048);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system takes the superuser";
    const QString archiveRoot = disk.path() + QStringLiteral("/archive");
    writeCard(QStringLiteral("card"), 2);
    {
        archive::Archive a;
        QString error;
        ASSERT_EQ(a.open(archiveRoot, database(), &error), archive::Opened) << error.toStdString();
        archive::importCards(a, {folder("card")}, options());
    }
    ASSERT_EQ(::mount(nullptr, QFile::encodeName(disk.path()).constData(), nullptr,
                  MS_REMOUNT | MS_RDONLY, nullptr),
        0);
    writeCard(QStringLiteral("card2"), 3);
    archive::Archive a;
    QString error;
    ASSERT_EQ(a.open(archiveRoot, database(), &error), archive::Opened) << error.toStdString();
    const archive::ImportReport report = archive::importCards(a, {folder("card2")}, options());
    EXPECT_TRUE(report.writeFailed);
    EXPECT_FALSE(report.problems.isEmpty() && report.count(archive::ImportOutcome::Failed) == 0);
    EXPECT_EQ(allDrives(a).size(), 1u);
    ::mount(nullptr, QFile::encodeName(disk.path()).constData(), nullptr, MS_REMOUNT, nullptr);
}

TEST(ArchiveDatabaseTest, GarbageFileIsNotTakenForAnIndex)
{
    QTemporaryDir folder;
    const QString path = archive::Archive::sqliteFile(folder.path());
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(8192, '\x5a'));
    garbage.close();
    const QByteArray before = sha256(path);
    archive::Archive a;
    QString error;
    EXPECT_EQ(a.open(folder.path(), QString(), &error), archive::NotAnArchive);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(sha256(path), before);
    EXPECT_EQ(filesUnder(folder.path()), QStringList{QStringLiteral("archive.sqlite")});
}

TEST(ArchiveDatabaseTest, ServerThatIsNotThereIsNamed)
{
    QTemporaryDir folder;
    archive::Archive a;
    QString error;
    EXPECT_EQ(a.open(folder.path(), QStringLiteral("postgresql://nobody@127.0.0.1:1/none"), &error),
        archive::CannotOpen);
    EXPECT_TRUE(error.contains(QLatin1String("127.0.0.1"))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, ArchiveImportTest,
    ::testing::Values(Backend::SQLite, Backend::PostgreSQL), backendName);
