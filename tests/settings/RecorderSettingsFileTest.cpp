#include "settings/RecorderSettingsFile.h"

#include "support/FullCard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(RecorderSettingsFileTest, LayoutOfTheThirtyFiveBytes)
{
    ViewerSettings r;
    r.level = 0x102; // only the low byte is carried
    r.deviceValue = 21;
    r.speedUnit = 2;
    r.passwordOn = 1;
    std::memcpy(r.password, "12", 3); // shorter than four: NUL-padded
    std::strcpy(r.deviceText, "0");
    const QByteArray b = recorder_settings_file::bytes(r);
    ASSERT_EQ(b.size(), 35);
    EXPECT_EQ(b.left(9).toHex(), QByteArray("021502013132000000"));
    EXPECT_EQ(b.at(9), '0');
    EXPECT_EQ(b.mid(10, 23), QByteArray(23, '\0'));
    EXPECT_EQ(b.at(33), 5);
    EXPECT_EQ(b.at(34), 1);
}

TEST(RecorderSettingsFileTest, NoPasswordWritesZerosWhateverThePasswordHolds)
{
    ViewerSettings r;
    std::memcpy(r.password, "9876", 5);
    r.passwordOn = 0;
    EXPECT_EQ(recorder_settings_file::bytes(r).mid(4, 4), QByteArray(4, '\0'));
}

TEST(RecorderSettingsFileTest, TailBytesAreFixedAndFullFieldsStayInside)
{
    ViewerSettings r;
    r.tailByte1 = 0xEE;
    r.tailByte2 = 0xDD;
    r.passwordOn = 1;
    std::memset(r.password, '7', sizeof r.password); // no NUL at all
    std::memset(r.deviceText, 'x', sizeof r.deviceText);
    const QByteArray b = recorder_settings_file::bytes(r);
    EXPECT_EQ(b.mid(4, 4), QByteArray("7777"));
    EXPECT_EQ(b.at(8), '\0');
    EXPECT_EQ(b.mid(9, 24), QByteArray(24, 'x'));
    EXPECT_EQ(b.at(33), 5);
    EXPECT_EQ(b.at(34), 1);
}

TEST(RecorderSettingsFileTest, DirectoryTextIsJoinedWithoutSeparator)
{
    QTemporaryDir card;
    ViewerSettings r;
    r.level = 3;
    // The directory text ends in a separator when chosen in the popup...
    ASSERT_EQ(recorder_settings_file::write(card.path() + "/", r), 0);
    EXPECT_EQ(readAll(card.path() + "/kob_config.dat").size(), 35);
    // ...and is used exactly as held when it does not.
    ASSERT_EQ(recorder_settings_file::write(card.path() + "/pre", r), 0);
    EXPECT_EQ(readAll(card.path() + "/prekob_config.dat").at(0), 3);
}

TEST(RecorderSettingsFileTest, EmptyDirectoryWritesIntoTheCurrentDirectory)
{
    QTemporaryDir here;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(here.path()));
    const int result = recorder_settings_file::write(QString(), ViewerSettings{});
    QDir::setCurrent(previous);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readAll(here.path() + "/kob_config.dat").size(), 35);
}

TEST(RecorderSettingsFileTest, ReplacesAnOldFileWholeAndLeavesNoTemporaryFiles)
{
    QTemporaryDir card;
    const QString path = card.path() + "/kob_config.dat";
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100, 'z'));
    }
    ViewerSettings r;
    r.level = 1;
    ASSERT_EQ(recorder_settings_file::write(card.path() + "/", r), 0);
    const QByteArray bytes = readAll(path);
    EXPECT_EQ(bytes.size(), 35);
    EXPECT_EQ(bytes.at(0), 1);
    EXPECT_EQ(
        QDir(card.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kob_config.dat"});
}

TEST(RecorderSettingsFileTest, UnwritableDestinationFailsWithoutTouchingAnything)
{
    QTemporaryDir card;
    // A folder where the file should be: the file cannot replace it.
    ASSERT_TRUE(QDir(card.path()).mkdir("kob_config.dat"));
    EXPECT_NE(recorder_settings_file::write(card.path() + "/", ViewerSettings{}), 0);
    EXPECT_TRUE(QFileInfo(card.path() + "/kob_config.dat").isDir());
    EXPECT_NE(recorder_settings_file::write(card.path() + "/missing/", ViewerSettings{}), 0);
}

TEST(RecorderSettingsFileTest, AFullCardFailsTheWriteAndKeepsTheOldFile)
{
    QTemporaryDir card;
    const QString directory = card.path() + QLatin1Char('/');
    ViewerSettings r;
    r.level = 1;
    ASSERT_EQ(recorder_settings_file::write(directory, r), 0);
    const QByteArray before = readAll(recorder_settings_file::path(directory));
    ASSERT_EQ(before.size(), 35);

    r.level = 4;
    int result = 0;
    {
        // Room for ten bytes only: the write takes part of the file and then fails.
        testsupport::FullCard full(10);
        result = recorder_settings_file::write(directory, r);
    }
    EXPECT_EQ(result, 2);
    EXPECT_EQ(readAll(recorder_settings_file::path(directory)), before);
    EXPECT_EQ(QDir(card.path()).entryList(QDir::Files), QStringList {"kob_config.dat"});
}
