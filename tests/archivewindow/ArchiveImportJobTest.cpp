// A card's import on the viewer's worker, the card found on a volume put in, and the pictures
// of the search, judged against ffmpeg's own decoding.
#include "ArchiveWindowFixture.h"

#include "archive/Archive.h"
#include "archive/ArchiveQueries.h"
#include "archivewindow/ArchiveImportJob.h"
#include "archivewindow/CardWatcher.h"
#include "archivewindow/Thumbnails.h"
#include "resources/Strings.h"
#include "support/Process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using archivewin::ArchiveImportJob;
using archivewintest::demoCard;

namespace {

QByteArray sha256(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

struct Finished
{
    archive::ImportReport report;
    QString error;
};

Finished runImport(const archivewin::ArchiveLocation& location, const QStringList& folders,
    bool cancelAtOnce = false)
{
    ArchiveImportJob job(location, folders, QString(), {});
    Finished result;
    bool done = false;
    QObject::connect(&job, &ArchiveImportJob::finished,
        [&](const archive::ImportReport& report, const QString& error) {
            result = {report, error};
            done = true;
        });
    job.start();
    if (cancelAtOnce)
        job.cancel();
    EXPECT_TRUE(archivewintest::waitFor([&] { return done; }, 120000));
    return result;
}

TEST(ArchiveImportJob, KeepsTheCardsRecordingsAsTheyAreIndexesTheDriveAndSkipsThemNextTime)
{
    archivewintest::ImportedArchive archive({}, false);
    ASSERT_TRUE(archive.isValid());
    const Finished first = runImport(archive.location(), {demoCard()});
    EXPECT_TRUE(first.error.isEmpty());
    EXPECT_EQ(first.report.count(archive::ImportOutcome::Imported), 5);
    for (const archive::ImportItem& item : first.report.items) {
        EXPECT_TRUE(item.path.startsWith(archive.root() + QStringLiteral("/default/2025/06/14/")));
        EXPECT_EQ(sha256(item.path), sha256(item.source)) << item.path.toStdString();
    }
    EXPECT_EQ(ArchiveImportJob::reportText(first.report, first.error),
        QString(strings::kArchiveImported).arg(5).arg(0).arg(0).arg(0));

    archive::Archive opened;
    QString error;
    ASSERT_EQ(opened.open(archive.root(), {}, &error), archive::Opened) << error.toStdString();
    std::vector<archive::DriveRow> drives;
    ASSERT_TRUE(archive::drives(opened, {}, &drives, &error));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].recordings, 5);
    EXPECT_TRUE(archive::missingRecordings(opened, demoCard()).isEmpty());

    const Finished again = runImport(archive.location(), {demoCard()});
    EXPECT_EQ(again.report.count(archive::ImportOutcome::Skipped), 5);
    EXPECT_EQ(again.report.count(archive::ImportOutcome::Imported), 0);
}

TEST(ArchiveImportJob, ACancelledImportSaysWhatItKeptAndAFailureNamesTheRecording)
{
    archivewintest::ImportedArchive archive({}, false);
    ASSERT_TRUE(archive.isValid());
    const Finished cancelled = runImport(archive.location(), {demoCard()}, true);
    EXPECT_TRUE(cancelled.report.cancelled);
    EXPECT_EQ(ArchiveImportJob::reportText(cancelled.report, {}),
        QString(strings::kArchiveImportCancelled)
            .arg(cancelled.report.count(archive::ImportOutcome::Imported)));

    archive::ImportReport failed;
    failed.items.push_back(
        {QStringLiteral("/card/drf_20250614_142337.mp4"), archive::ImportOutcome::Failed, {},
            archive::RecordingState::Intact, QStringLiteral("cannot read")});
    failed.items.push_back({QStringLiteral("/card/evt_20250614_142407.mp4"),
        archive::ImportOutcome::Imported, QStringLiteral("/archive/evt_20250614_142407.mp4"),
        archive::RecordingState::Unclosed, {}});
    const QString text = ArchiveImportJob::reportText(failed, {});
    EXPECT_TRUE(text.contains(QStringLiteral("drf_20250614_142337.mp4: cannot read")));
    EXPECT_TRUE(text.startsWith(QString(strings::kArchiveImported).arg(1).arg(0).arg(0).arg(1)));
    // Kept, but said not to play: the camera never closed it.
    EXPECT_TRUE(text.contains(QString(strings::kArchiveImportDamaged)
                                  .arg(QStringLiteral("evt_20250614_142407.mp4: ")
                                      + QString(strings::kArchiveUnclosed))));

    // An archive that cannot be opened does nothing and says why.
    const Finished unopened = runImport(
        {archive.root(), QStringLiteral("postgresql://nobody@127.0.0.1:1/none")}, {demoCard()});
    EXPECT_FALSE(unopened.error.isEmpty());
    EXPECT_TRUE(unopened.report.items.empty());
    EXPECT_FALSE(QDir(archive.root() + QStringLiteral("/default")).exists());
}

// A card put in is looked through for the camera's folder: at its root, or below as cameras and
// card readers lay it out; a volume without recordings is no card.
TEST(CardWatcher, FindsTheFolderOfRecordingsOnAVolume)
{
    QTemporaryDir volume;
    const QString root = volume.path();
    EXPECT_TRUE(archivewin::CardWatcher::cardFolder(root).isEmpty());
    QDir().mkpath(root + QStringLiteral("/DCIM/Movie"));
    QDir().mkpath(root + QStringLiteral("/Another"));
    QFile::copy(demoCard() + QStringLiteral("/drf_20250614_142337.mp4"),
        root + QStringLiteral("/DCIM/Movie/drf_20250614_142337.mp4"));
    // A clip beside it is no recording of the camera's, and a folder of those is no card.
    QFile::copy(demoCard() + QStringLiteral("/evt_20250614_142407.mp4"),
        root + QStringLiteral("/Another/clip_evt_20250614_142407.mp4"));
    EXPECT_EQ(archivewin::CardWatcher::cardFolder(root), root + QStringLiteral("/DCIM/Movie"));
    QFile::copy(demoCard() + QStringLiteral("/evt_20250614_142407.mp4"),
        root + QStringLiteral("/evt_20250614_142407.mp4"));
    EXPECT_EQ(archivewin::CardWatcher::cardFolder(root), root);
}

// The picture listed for a moment is the one on show at that second: against ffmpeg's picture
// of the same second, and unlike that of another second.
TEST(Thumbnails, ThePictureIsTheOneOnShowAtTheSecondAndIsCachedPerRecording)
{
    const QString recording = demoCard() + QStringLiteral("/evt_20250614_142407.mp4");
    QTemporaryDir folder;
    const auto ffmpegPicture = [&](int second) {
        const QString out = folder.filePath(QStringLiteral("ffmpeg-%1.png").arg(second));
        const testsupport::ProcessResult run = testsupport::runProcess(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-ss"),
                QString::number(second), QStringLiteral("-i"), recording,
                QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-s"),
                QStringLiteral("96x72"), out});
        return run.exitCode == 0 ? QImage(out).convertToFormat(QImage::Format_RGB32) : QImage();
    };
    const auto difference = [](const QImage& a, const QImage& b) {
        double sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                    + std::abs(qBlue(p) - qBlue(q));
            }
        }
        return sum / (a.width() * a.height() * 3);
    };
    const QImage ours = archivewin::decodePicture(recording, 20);
    ASSERT_EQ(ours.size(), archivewin::kThumbnailSize);
    // Scaled by two scalers the pictures differ a little everywhere; of ffmpeg's pictures of
    // neighbouring seconds, the one of the same second is still the nearest.
    int nearest = -1;
    double least = 1e9;
    for (int second : {10, 18, 19, 20, 21, 22, 28}) {
        const QImage theirs = ffmpegPicture(second);
        ASSERT_EQ(theirs.size(), ours.size()) << second;
        if (const double d = difference(ours, theirs); d < least) {
            least = d;
            nearest = second;
        }
    }
    EXPECT_EQ(nearest, 20);
    EXPECT_LT(least, 6.0);

    archivewin::ThumbnailCache cache(folder.filePath(QStringLiteral("cache")));
    EXPECT_TRUE(cache.cached(recording, 20).isNull());
    EXPECT_FALSE(cache.make(recording, 20).isNull());
    EXPECT_FALSE(cache.cached(recording, 20).isNull());
    EXPECT_TRUE(cache.cached(recording, 21).isNull());
    // A second past the recording's end, and a file that is none, give no picture.
    EXPECT_TRUE(archivewin::decodePicture(demoCard() + QStringLiteral("/none.mp4"), 1).isNull());
}

} // namespace
