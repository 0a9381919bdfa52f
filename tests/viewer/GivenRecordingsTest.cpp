#include "viewer/GivenRecordings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(GivenRecordingsTest, FilesCountByTheirNameAndFoldersGiveTheirRecordingsInTimeOrder)
{
    QTemporaryDir card;
    QDir dir(card.path());
    for (const char* name :
        {"muevt_20240101_120000.mp4", "evt_20240101_110000.mp4", "drf_20240101_130000.mp4",
            "drf_20240101_100000.mp4", "notes.txt", "drf_20240101_140000.mp4.part"})
        touch(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("evt_folder.mp4")));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("sub")));
    touch(dir.filePath(QStringLiteral("sub/drf_20240202_000000.mp4")));

    const given_recordings::Gathered folder = given_recordings::gather({card.path()});
    const auto full = [&](const char* name) {
        return QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(name)));
    };
    // The drive in the order it happened, whatever the kinds; not the subfolder's.
    EXPECT_EQ(folder.recordings,
        QStringList({full("drf_20240101_100000.mp4"), full("evt_20240101_110000.mp4"),
            full("muevt_20240101_120000.mp4"), full("drf_20240101_130000.mp4")}));
    EXPECT_TRUE(folder.refused.isEmpty());

    // Files as given, made whole from the working folder, each once.
    QDir::setCurrent(card.path());
    const given_recordings::Gathered files = given_recordings::gather(
        {QStringLiteral("sub/../evt_20240101_110000.mp4"), QStringLiteral("notes.txt"),
            full("evt_20240101_110000.mp4"), QStringLiteral("drf_20240101_140000.mp4.part"),
            QStringLiteral("evt_folder.mp4"), QStringLiteral("drf_20990101_000000.mp4"),
            dir.filePath(QStringLiteral("sub")), card.path()});
    EXPECT_EQ(files.recordings.first(), full("evt_20240101_110000.mp4"));
    EXPECT_EQ(files.recordings.count(full("evt_20240101_110000.mp4")), 1);
    EXPECT_TRUE(files.recordings.contains(
        QDir::toNativeSeparators(dir.filePath(QStringLiteral("sub/drf_20240202_000000.mp4")))));
    EXPECT_EQ(files.recordings.size(), 5);
    EXPECT_EQ(files.refused,
        QStringList({QStringLiteral("notes.txt"), QStringLiteral("drf_20240101_140000.mp4.part"),
            QStringLiteral("evt_folder.mp4"), QStringLiteral("drf_20990101_000000.mp4")}));
}

TEST(GivenRecordingsTest, AFolderWithoutRecordingsIsRefused)
{
    QTemporaryDir empty;
    const given_recordings::Gathered gathered = given_recordings::gather({empty.path(), {}});
    EXPECT_TRUE(gathered.recordings.isEmpty());
    EXPECT_EQ(gathered.refused, QStringList({empty.path()}));
}

} // namespace
