#include "settings/DirectoryText.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DirectoryTextTest, BoxShowsThirteenCharactersThenDots)
{
    using directory_text::boxText;
    EXPECT_EQ(boxText("E:\\"), "E:\\");
    EXPECT_EQ(boxText("123456789012"), "123456789012");
    EXPECT_EQ(boxText("1234567890123"), "1234567890123...");
    EXPECT_EQ(boxText("12345678901234567890"), "1234567890123...");
    EXPECT_EQ(boxText(""), "");
}

TEST(DirectoryTextTest, ChosenFolderGainsASeparatorUnlessItHasOne)
{
    using directory_text::folderFromChoice;
    const QString sep = QDir::separator();
    EXPECT_EQ(folderFromChoice(QDir::fromNativeSeparators("/tmp/video")),
        QDir::toNativeSeparators("/tmp/video") + sep);
    EXPECT_EQ(folderFromChoice(QDir::rootPath()), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(folderFromChoice(""), "");
}

TEST(DirectoryTextTest, SavePopupKeepsTheRootOfTheChosenFoldersVolume)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("a/b"));
    QString root = QDir::toNativeSeparators(QStorageInfo(dir.path()).rootPath());
    if (!root.endsWith(QDir::separator()))
        root += QDir::separator();
    EXPECT_EQ(directory_text::driveRootOf(dir.path() + "/a/b"), root);
    EXPECT_TRUE(directory_text::driveRootOf(dir.path()).endsWith(QDir::separator()));
    EXPECT_EQ(directory_text::driveRootOf(""), "");
}
