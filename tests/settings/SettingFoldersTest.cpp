#include "settings/SettingFolders.h"

#include "settings/ConfigTokenReader.h"

#include <gtest/gtest.h>

TEST(SettingFoldersTest, ReaderTakesFoldersResetsFlagsAndReturnsTheDirectory)
{
    ConfigTokenReader reader("D:\\cap\\?0?1?D:\\copy\\?0?1?E:\\??");
    SettingFolders folders;
    folders.folderFlags = {{{0, 1}, {0, 1}}};
    const QString directory = setting_folders::readFolderTokens(reader, folders);
    EXPECT_EQ(folders.folders[0], "D:\\cap\\");
    EXPECT_EQ(folders.folders[1], "D:\\copy\\");
    EXPECT_EQ(folders.folderFlags[0], (std::array<int, 2>{1, 0}));
    EXPECT_EQ(folders.folderFlags[1], (std::array<int, 2>{1, 0}));
    EXPECT_EQ(directory, "E:\\");
}

TEST(SettingFoldersTest, ReaderOnAnEndedTextGivesEmptyTexts)
{
    ConfigTokenReader reader("");
    SettingFolders folders;
    folders.folders = {"old0", "old1"};
    EXPECT_TRUE(setting_folders::readFolderTokens(reader, folders).isEmpty());
    EXPECT_TRUE(folders.folders[0].isEmpty());
    EXPECT_TRUE(folders.folders[1].isEmpty());
}

TEST(SettingFoldersTest, DirectoryTokenIsUsedUpTo63Characters)
{
    ConfigTokenReader reader("a?1?0?b?1?0?" + QByteArray(100, 'd') + "?");
    SettingFolders folders;
    EXPECT_EQ(setting_folders::readFolderTokens(reader, folders), QString(63, 'd'));

    // Characters, not bytes: a 40-character mount point written in two-byte characters
    // comes back whole.
    const QString card = "/media/" + QString(32, QChar(0x0416)) + "/";
    ConfigTokenReader wide("a?1?0?b?1?0?" + card.toLocal8Bit() + "?");
    EXPECT_EQ(setting_folders::readFolderTokens(wide, folders), card);
}

TEST(SettingFoldersTest, ListTextWritesFlagsAsZeroOrOneAndRoundTrips)
{
    SettingFolders folders;
    folders.folders = {QString::fromUtf8("/home/анна/кадры/"), "/mnt/copy/"};
    folders.folderFlags = {{{7, 0}, {1, -3}}};
    const QByteArray text = setting_folders::folderListText(folders, "/media/card/");
    EXPECT_EQ(text,
        QString::fromUtf8("/home/анна/кадры/?1?0?/mnt/copy/?1?1?/media/card/?").toLocal8Bit());

    ConfigTokenReader reader(text);
    SettingFolders back;
    EXPECT_EQ(setting_folders::readFolderTokens(reader, back), "/media/card/");
    EXPECT_EQ(back.folders, folders.folders);
}
