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

TEST(SettingFoldersTest, OverlongTokensAreDroppedNotCut)
{
    // A cut path would name another folder: a directory token over 63 characters is dropped.
    SettingFolders folders;
    ConfigTokenReader at63("a?1?0?b?1?0?" + QByteArray(63, 'd') + "?");
    EXPECT_EQ(setting_folders::readFolderTokens(at63, folders), QString(63, 'd'));
    ConfigTokenReader over("a?1?0?b?1?0?" + QByteArray(64, 'd') + "?");
    EXPECT_TRUE(setting_folders::readFolderTokens(over, folders).isEmpty());
    EXPECT_EQ(folders.folders[1], "b");

    // Characters, not bytes: a 40-character mount point written in two-byte characters
    // comes back whole.
    const QString card = "/media/" + QString(32, QChar(0x0416)) + "/";
    ConfigTokenReader wide("a?1?0?b?1?0?" + card.toLocal8Bit() + "?");
    EXPECT_EQ(setting_folders::readFolderTokens(wide, folders), card);

    // A folder token the reader had to cut (only a foreign value holds one) reads as empty;
    // the tokens after it stay in place.
    ConfigTokenReader cut(QByteArray(config_text::kMaxTokenBytes + 1, 'f') + "?1?0?b?1?0?E:\\?");
    EXPECT_EQ(setting_folders::readFolderTokens(cut, folders), "E:\\");
    EXPECT_TRUE(folders.folders[0].isEmpty());
    EXPECT_EQ(folders.folders[1], "b");
}

TEST(SettingFoldersTest, TextsTheReaderWouldNotGiveBackAreWrittenEmptyAndReported)
{
    SettingFolders folders;
    folders.folders = {"/media/a?b/", QString(config_text::kMaxTokenBytes + 1, 'x')};
    setting_folders::DroppedTexts dropped;
    EXPECT_EQ(setting_folders::folderListText(folders, "/mnt/c*rd/", &dropped), "?1?0??1?0??");
    EXPECT_EQ(dropped.folders, (std::array<bool, 2>{true, true}));
    EXPECT_TRUE(dropped.directory);

    // At the limits everything is kept: a folder of the token limit in bytes (two-byte letters
    // counted twice), a directory of 63 characters.
    const QString cyrillic(config_text::kMaxTokenBytes / 2, QChar(0x0434));
    folders.folders = {cyrillic, QString()};
    const QString directory = "/" + QString(61, QChar(0x0436)) + "/";
    const QByteArray text = setting_folders::folderListText(folders, directory, &dropped);
    EXPECT_FALSE(dropped.any());
    ConfigTokenReader reader(text);
    SettingFolders back;
    EXPECT_EQ(setting_folders::readFolderTokens(reader, back), directory);
    EXPECT_EQ(back.folders[0], cyrillic);
    EXPECT_TRUE(setting_folders::storableDirectory(directory));
    EXPECT_FALSE(setting_folders::storableDirectory(directory + "x"));
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
