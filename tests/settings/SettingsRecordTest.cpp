#include "settings/SettingsRecord.h"

#include "settings/RecorderSettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

namespace {

ViewerSettings storedRecord()
{
    ViewerSettings r;
    r.level = 3;
    r.deviceValue = 21;
    r.speedUnit = 1;
    r.passwordOn = 1;
    std::memcpy(r.password, "4821", 5);
    std::strcpy(r.deviceText, "stored text");
    r.tailByte1 = 77;
    r.tailByte2 = 88;
    r.ownerValue = 0x1234;
    return r;
}

} // namespace

TEST(ViewerSettingsTest, LevelPositionBoundaries)
{
    using viewer_settings::levelFromPosition;
    const std::pair<int, int> cases[] = {{0, 0}, {42, 0}, {43, 1}, {85, 1}, {86, 2}, {128, 2},
        {129, 3}, {171, 3}, {172, 4}, {213, 4}, {-50, 0}, {100000, 4}};
    for (auto [position, level] : cases)
        EXPECT_EQ(levelFromPosition(position), level) << position;

    const int positions[] = {21, 64, 107, 149, 192};
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(viewer_settings::positionFromLevel(level), positions[level]);
        EXPECT_EQ(levelFromPosition(positions[level]), level);
    }
    // A level the viewer never writes still puts the control on its track.
    EXPECT_EQ(viewer_settings::positionFromLevel(-7), 21);
    EXPECT_EQ(viewer_settings::positionFromLevel(2000000000), 192);
}

TEST(SettingsRecordTest, SetRecordForcesTailBytesAndPlacesTheLevelControl)
{
    SettingsRecord popup;
    popup.setRecord(storedRecord());
    EXPECT_EQ(popup.working().tailByte1, 5);
    EXPECT_EQ(popup.working().tailByte2, 1);
    EXPECT_EQ(popup.handedBack().tailByte1, 5);
    EXPECT_EQ(popup.handedBack().tailByte2, 1);
    EXPECT_EQ(popup.levelPosition(), 149);
    EXPECT_EQ(popup.working().ownerValue, 0x1234);

    // Closing the popup untouched keeps level 3 (149 / 42.8 truncates to 3).
    popup.recomputeLevel();
    EXPECT_EQ(popup.getRecord().level, 3);
}

TEST(SettingsRecordTest, GetRecordHandsBackTheWorkingCopy)
{
    SettingsRecord popup;
    popup.setRecord(storedRecord());
    popup.working().speedUnit = 2;
    EXPECT_EQ(popup.handedBack().speedUnit, 1);
    const ViewerSettings out = popup.getRecord();
    EXPECT_EQ(out.speedUnit, 2);
    EXPECT_EQ(popup.handedBack().speedUnit, 2);
}

TEST(SettingsRecordTest, DraggingFollowsTheMouseWithinTheTrack)
{
    SettingsRecord popup;
    popup.setRecord(storedRecord());
    popup.dragLevelTo(10);
    EXPECT_EQ(popup.levelPosition(), 0);
    EXPECT_EQ(popup.working().level, 0);
    popup.dragLevelTo(37 + 43);
    EXPECT_EQ(popup.levelPosition(), 43);
    EXPECT_EQ(popup.working().level, 1);
    popup.dragLevelTo(251);
    EXPECT_EQ(popup.levelPosition(), 213);
    EXPECT_EQ(popup.working().level, 4);
    popup.dragLevelTo(-2147483647 - 1);
    EXPECT_EQ(popup.levelPosition(), 0);
}

TEST(SettingsRecordTest, PasswordResults)
{
    SettingsRecord popup;
    popup.setRecord(storedRecord());

    EXPECT_FALSE(popup.applyPasswordResult(1234, 1));
    EXPECT_STREQ(popup.working().password, "1234");
    EXPECT_EQ(popup.working().passwordOn, 1);

    popup.applyPasswordResult(7, 1);
    EXPECT_STREQ(popup.working().password, "0007");
    popup.applyPasswordResult(0, 1);
    EXPECT_STREQ(popup.working().password, "0000");
    EXPECT_EQ(popup.working().passwordOn, 1);

    // Numbers the panel never sends still give four digits and a NUL inside the field.
    popup.applyPasswordResult(123456, 1);
    EXPECT_STREQ(popup.working().password, "3456");
    popup.applyPasswordResult(-42, 1);
    EXPECT_STREQ(popup.working().password, "0042");
    popup.applyPasswordResult(-2147483647 - 1, 1);
    EXPECT_EQ(std::strlen(popup.working().password), 4u);

    // Entries that differed: the user is told, protection goes off.
    EXPECT_TRUE(popup.applyPasswordResult(1, 0));
    EXPECT_EQ(popup.working().passwordOn, 0);
    // Closed or cancelled: silently off.
    popup.working().passwordOn = 1;
    EXPECT_FALSE(popup.applyPasswordResult(0, 0));
    EXPECT_EQ(popup.working().passwordOn, 0);
}

TEST(SettingsRecordTest, WriteDeviceFileUpdatesTheRecordAndTheCard)
{
    QTemporaryDir card;
    const QString directory = card.path() + QDir::separator();
    SettingsRecord popup;
    popup.setRecord(storedRecord());
    popup.dragLevelTo(37 + 213);

    ASSERT_EQ(popup.writeDeviceFile(directory), 0);
    const ViewerSettings seen = popup.handedBack();
    EXPECT_STREQ(seen.deviceText, "0");
    EXPECT_EQ(seen.level, 4);

    QFile file(directory + "kob_config.dat");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 35);
    EXPECT_EQ(bytes.toHex(),
        QByteArray("04150101"
                   "34383231"
                   "00"
                   "30"
            + QByteArray(46, '0') + "0501"));
}

TEST(SettingsRecordTest, FailedWriteIsReportedAndStillHandsBackTheRecord)
{
    QTemporaryDir card;
    SettingsRecord popup;
    popup.setRecord(storedRecord());
    const QString missing = card.path() + "/no such folder/";
    EXPECT_NE(popup.writeDeviceFile(missing), 0);
    EXPECT_FALSE(QFile::exists(missing + "kob_config.dat"));
    EXPECT_STREQ(popup.handedBack().deviceText, "0");
}
