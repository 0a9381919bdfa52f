#include "files/RecordingFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using files::FolderListing;
using files::listRecordings;
using namespace recording;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList names(const QString& folder, RecordingType kind)
{
    const FolderListing listing = listRecordings(folder, kind);
    EXPECT_TRUE(listing.readable);
    return listing.names;
}

} // namespace

TEST(RecordingFolderTest, EachKindListsOnlyItsOwnRegularMp4Files)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    for (const char* name : {"drf_20240501_120000.mp4", "evt_20240501_120100.mp4",
             "muevt_20240501_120200.mp4", "evt_20240501_120300.avi", "EVT_20240501_120400.MP4",
             "drf_20240501_120500.mp4.part", "copy_evt_20240501_120600.mp4", "notes.txt",
             ".drf_20240501_115900.mp4", "._evt_20240501_120100.mp4"})
        touch(d.filePath(name));
    ASSERT_TRUE(d.mkdir("evt_20240501_130000.mp4")); // a folder named like a recording
    ASSERT_TRUE(QFile::link(d.filePath("drf_20240501_120000.mp4"), d.filePath("drf_link.mp4")));
    ASSERT_TRUE(QFile::link(d.filePath("gone"), d.filePath("drf_dangling.mp4")));

    // Hidden files are no recordings: a Mac's "._" companions, another program's unfinished
    // writes.
    EXPECT_EQ(
        names(dir.path(), Continuous), (QStringList{"drf_20240501_120000.mp4", "drf_link.mp4"}));
    EXPECT_EQ(names(dir.path(), Event),
        (QStringList{"copy_evt_20240501_120600.mp4", "evt_20240501_120100.mp4"}));
    EXPECT_EQ(names(dir.path(), ManualEvent), (QStringList{"muevt_20240501_120200.mp4"}));
    EXPECT_TRUE(names(dir.path(), NotARecording).isEmpty());
}

TEST(RecordingFolderTest, TheFolderNameDoesNotMakeItsFilesRecordings)
{
    QTemporaryDir dir;
    for (const char* folder : {"evt_x", "muevt_backup", "drf_old"}) {
        const QString path = QDir(dir.path()).filePath(folder);
        ASSERT_TRUE(QDir().mkpath(path));
        touch(path + "/drf_20240501_120000.mp4");
        touch(path + "/clip.mp4");
        EXPECT_EQ(names(path, Continuous), QStringList{"drf_20240501_120000.mp4"}) << folder;
        EXPECT_TRUE(names(path, Event).isEmpty()) << folder;
        EXPECT_TRUE(names(path, ManualEvent).isEmpty()) << folder;
        EXPECT_FALSE(files::folderHasRecordings(path, Event)) << folder;
        EXPECT_TRUE(files::folderHasRecordings(path, Continuous)) << folder;
    }
}

TEST(RecordingFolderTest, NamesComeInDateAndTimeOrder)
{
    QTemporaryDir dir;
    const QStringList created{"evt_20240502_000001.mp4", "evt_20231231_235959.mp4",
        "evt_20240501_235959.mp4", "evt_20240502_000000.mp4"};
    for (const QString& name : created)
        touch(QDir(dir.path()).filePath(name));
    EXPECT_EQ(names(dir.path(), Event),
        (QStringList{"evt_20231231_235959.mp4", "evt_20240501_235959.mp4",
            "evt_20240502_000000.mp4", "evt_20240502_000001.mp4"}));
}

TEST(RecordingFolderTest, AFolderThatCannotBeReadIsToldApartFromAnEmptyOne)
{
    QTemporaryDir dir;
    EXPECT_TRUE(listRecordings(dir.path(), Event).readable);
    EXPECT_TRUE(listRecordings(dir.path(), Event).names.isEmpty());

    const QString file = QDir(dir.path()).filePath("evt_20240501_120000.mp4");
    touch(file);
    for (const QString& bad : {QDir(dir.path()).filePath("missing"), file, QString()}) {
        const FolderListing listing = listRecordings(bad, Event);
        EXPECT_FALSE(listing.readable) << bad.toStdString();
        EXPECT_TRUE(listing.names.isEmpty());
        EXPECT_FALSE(files::folderHasRecordings(bad, Event));
    }
}

TEST(RecordingFolderTest, FullPathOfAListedName)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(files::recordingPath("/media/card", "evt_1.mp4"),
        QDir::toNativeSeparators("/media/card/evt_1.mp4"));
    EXPECT_EQ(files::recordingPath("/media/card/", "evt_1.mp4"),
        QDir::toNativeSeparators("/media/card/evt_1.mp4"));
    EXPECT_EQ(files::recordingPath("/", "evt_1.mp4"), sep + "evt_1.mp4");
}
