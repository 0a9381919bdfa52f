#include "app/ViewerConfig.h"

#include "platform/Registry.h"
#include "settings/ConfigTokenReader.h"

#include <QRandomGenerator>

#include <cstring>
#include <gtest/gtest.h>

namespace {

const QByteArray kExample = "2?21?0?0?????128?D:\\cap\\?1?0?D:\\copy\\?1?0?E:\\??";

viewer_config::PopupState examplePopup()
{
    viewer_config::PopupState popup;
    popup.record = viewer_config::defaultSettings();
    popup.folders.folders = {"D:\\cap\\", "D:\\copy\\"};
    popup.saveDirectory = "E:\\";
    return popup;
}

void storeText(const QByteArray& text)
{
    ASSERT_TRUE(platform::Registry::write("Viewer Config", "config", text));
}

class ViewerConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::Registry::remove("Viewer Config", "config"); }
    void TearDown() override { platform::Registry::remove("Viewer Config", "config"); }
};

void expectDefaults(const viewer_config::Loaded& loaded)
{
    EXPECT_EQ(loaded.settings.level, 2);
    EXPECT_EQ(loaded.settings.deviceValue, 21);
    EXPECT_EQ(loaded.settings.speedUnit, 0);
    EXPECT_EQ(loaded.settings.passwordOn, 0);
    EXPECT_STREQ(loaded.settings.password, "");
    EXPECT_EQ(loaded.settings.ownerValue, 0);
    EXPECT_EQ(loaded.passwordGate, 0);
    EXPECT_EQ(loaded.volume, 128);
    EXPECT_FALSE(loaded.foldersRead);
}

} // namespace

TEST_F(ViewerConfigTest, ExampleTextByteForByte)
{
    EXPECT_EQ(viewer_config::format(128, examplePopup()), kExample);

    // Without a settings popup: an all-zero record and one more separator after the volume.
    EXPECT_EQ(viewer_config::format(128, std::nullopt), QByteArray("0?0?0?0?????128??"));

    ASSERT_TRUE(viewer_config::save(128, examplePopup()));
    EXPECT_EQ(platform::Registry::read("Viewer Config", "config").value(), kExample);
}

TEST_F(ViewerConfigTest, LoadOfTheExample)
{
    storeText(kExample);
    const auto loaded = viewer_config::load(0x5A5A);
    EXPECT_EQ(loaded.settings.level, 2);
    EXPECT_EQ(loaded.settings.deviceValue, 21);
    EXPECT_EQ(loaded.settings.ownerValue, 0x5A5A);
    EXPECT_TRUE(loaded.foldersRead);
    EXPECT_EQ(loaded.folders.folders[0], "D:\\cap\\");
    EXPECT_EQ(loaded.folders.folders[1], "D:\\copy\\");
    EXPECT_EQ(loaded.directoryToken, "E:\\");
}

TEST_F(ViewerConfigTest, MissingOrEmptyValueGivesTheDefaults)
{
    expectDefaults(viewer_config::load(99));
    storeText("");
    expectDefaults(viewer_config::load(99));
    storeText(QByteArray("\0\0\0", 3));
    expectDefaults(viewer_config::load(99));
    // Longer than the 512 bytes ever written: not read.
    storeText("4?21?1?1?1234?" + QByteArray(600, 'x'));
    expectDefaults(viewer_config::load(99));
}

TEST_F(ViewerConfigTest, SaveThenLoadRoundTrip)
{
    viewer_config::PopupState popup;
    popup.record.level = 4;
    popup.record.deviceValue = 33;
    popup.record.speedUnit = 2;
    popup.record.passwordOn = 1;
    std::memcpy(popup.record.password, "0420", 5);
    std::strcpy(popup.record.deviceText, "0");
    popup.folders.folders = {QString::fromUtf8("/home/ольга/кадры/"), "/mnt/copies/"};
    popup.folders.folderFlags = {{{0, 1}, {0, 1}}};
    popup.saveDirectory = "/media/card/";
    ASSERT_TRUE(viewer_config::save(37, popup));

    const auto loaded = viewer_config::load(7);
    EXPECT_EQ(loaded.settings.level, 4);
    EXPECT_EQ(loaded.settings.deviceValue, 33);
    EXPECT_EQ(loaded.settings.speedUnit, 2);
    EXPECT_EQ(loaded.settings.passwordOn, 1);
    EXPECT_EQ(loaded.passwordGate, 1);
    EXPECT_STREQ(loaded.settings.password, "0420");
    EXPECT_EQ(loaded.password, "0420");
    EXPECT_STREQ(loaded.settings.deviceText, "");
    EXPECT_EQ(loaded.folders.folders, popup.folders.folders);
    EXPECT_EQ(loaded.folders.folderFlags[0], (std::array<int, 2>{1, 0}));
    EXPECT_EQ(loaded.folders.folderFlags[1], (std::array<int, 2>{1, 0}));
    EXPECT_EQ(loaded.directoryToken, "/media/card/");
    EXPECT_EQ(loaded.volume, 128);
}

TEST_F(ViewerConfigTest, SaveWithoutPopupThenLoad)
{
    ASSERT_TRUE(viewer_config::save(64, std::nullopt));
    const auto loaded = viewer_config::load(1);
    EXPECT_EQ(loaded.settings.level, 0);
    EXPECT_EQ(loaded.settings.deviceValue, 0);
    EXPECT_TRUE(loaded.folders.folders[0].isEmpty());
    EXPECT_TRUE(loaded.directoryToken.isEmpty());
}

TEST_F(ViewerConfigTest, ShortValueWithoutFolders)
{
    storeText("2?21?1?0?????64?");
    const auto loaded = viewer_config::load(0);
    EXPECT_EQ(loaded.settings.speedUnit, 1);
    EXPECT_EQ(loaded.settings.passwordOn, 0);
    EXPECT_EQ(loaded.volume, 128);
    EXPECT_TRUE(loaded.folders.folders[0].isEmpty());
    EXPECT_TRUE(loaded.folders.folders[1].isEmpty());
    EXPECT_TRUE(loaded.directoryToken.isEmpty());
}

TEST_F(ViewerConfigTest, StarInAFolderCutsItAndShiftsTheTokens)
{
    storeText("2?21?0?0?????128?D:\\a*b\\?1?0?D:\\copy\\?1?0?E:\\??");
    const auto loaded = viewer_config::load(0);
    EXPECT_EQ(loaded.folders.folders[0], "D:\\a");
    EXPECT_EQ(loaded.folders.folders[1], "0");
    EXPECT_EQ(loaded.directoryToken, "0");
}

TEST_F(ViewerConfigTest, ForeignValuesCannotOverrunAnything)
{
    // A password token longer than four characters keeps its first four.
    storeText("1?2?0?1?123456789?dev???128?f0?1?0?f1?1?0?d?");
    auto loaded = viewer_config::load(0);
    EXPECT_STREQ(loaded.settings.password, "1234");
    EXPECT_EQ(loaded.password, "1234");
    EXPECT_EQ(loaded.folders.folders[0], "f0");

    // A folder token longer than any the viewer writes is dropped, not cut into another path;
    // the tokens after it stay in place.
    storeText("1?2?0?0?????128?" + QByteArray(460, 'f') + "?1?0?second?1?0?dir?");
    loaded = viewer_config::load(0);
    EXPECT_TRUE(loaded.folders.folders[0].isEmpty());
    EXPECT_EQ(loaded.folders.folders[1], "second");
    EXPECT_EQ(loaded.directoryToken, "dir");

    // Numbers that are not numbers, or too large, never fail the load.
    storeText("x?99999999999999?1?0?");
    loaded = viewer_config::load(0);
    EXPECT_EQ(loaded.settings.level, 0);
    EXPECT_EQ(loaded.settings.deviceValue, 2147483647);
}

TEST_F(ViewerConfigTest, SpeedUnitAndPasswordFlagLoadWithinTheirRanges)
{
    struct Case
    {
        const char* unit;
        int expectedUnit;
        const char* flag;
        int expectedFlag;
    };
    for (const Case& c : {Case{"0", 0, "0", 0}, Case{"2", 2, "1", 1}, Case{"3", 0, "2", 1},
             Case{"-5", 0, "-1", 1}, Case{"x", 0, "99999999999", 1}, Case{"1", 1, "", 0}}) {
        storeText(QByteArray("2?21?") + c.unit + "?" + c.flag + "?1234?");
        const auto loaded = viewer_config::load(0);
        EXPECT_EQ(loaded.settings.speedUnit, c.expectedUnit) << c.unit;
        // A garbled flag keeps the viewer locked rather than opening it.
        EXPECT_EQ(loaded.settings.passwordOn, c.expectedFlag) << c.flag;
        EXPECT_EQ(loaded.passwordGate, c.expectedFlag) << c.flag;
    }
}

TEST_F(ViewerConfigTest, LongCyrillicFolderComesBackWhole)
{
    // 400 bytes: a card copied into a deep folder of a Russian user's home.
    QString folder = QString::fromUtf8("/home/ольга/");
    while (folder.toUtf8().size() < 398)
        folder += QString::fromUtf8("я");
    folder += "/";
    ASSERT_EQ(folder.toUtf8().size(), 400);
    viewer_config::PopupState popup = examplePopup();
    popup.folders.folders = {folder, "/mnt/copies/"};
    popup.saveDirectory = "/media/card/";
    setting_folders::DroppedTexts dropped;
    ASSERT_TRUE(viewer_config::save(128, popup, &dropped));
    EXPECT_FALSE(dropped.any());
    const auto loaded = viewer_config::load(0);
    EXPECT_EQ(loaded.folders.folders[0], folder);
    EXPECT_EQ(loaded.folders.folders[1], "/mnt/copies/");
    EXPECT_EQ(loaded.directoryToken, "/media/card/");
}

TEST_F(ViewerConfigTest, TextsTheLoadWouldCutAreStoredEmptyAndReported)
{
    // Each stored text must come back as it was: one over the limit, or holding a character that
    // ends a token, is stored empty rather than read back as another folder.
    viewer_config::PopupState popup = examplePopup();
    popup.folders.folders
        = {QString(300, QChar(0x0444)), "/mnt/a*b/"};
    popup.saveDirectory = "/media/" + QString(60, 'c') + "/";
    setting_folders::DroppedTexts dropped;
    ASSERT_TRUE(viewer_config::save(128, popup, &dropped));
    EXPECT_EQ(dropped.folders, (std::array<bool, 2>{true, true}));
    EXPECT_TRUE(dropped.directory);
    EXPECT_EQ(platform::Registry::read("Viewer Config", "config").value(),
        QByteArray("2?21?0?0?????128??1?0??1?0???"));
    const auto loaded = viewer_config::load(0);
    EXPECT_TRUE(loaded.folders.folders[0].isEmpty());
    EXPECT_TRUE(loaded.directoryToken.isEmpty());

    // Texts that come back whole are not reported.
    EXPECT_EQ(viewer_config::format(128, examplePopup(), &dropped), kExample);
    EXPECT_FALSE(dropped.any());
}

TEST_F(ViewerConfigTest, RandomBytesNeverCrashTheLoad)
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        QByteArray text(random.bounded(0, 513), '\0');
        for (char& c : text) {
            // Mostly separators, stars and digits, so that every token kind is reached.
            const int pick = random.bounded(0, 6);
            c = pick == 0   ? '?'
                : pick == 1 ? '*'
                : pick == 2 ? char('0' + random.bounded(10))
                            : char(random.bounded(1, 256));
        }
        const auto loaded = viewer_config::parse(text, 1);
        EXPECT_LE(std::strlen(loaded.settings.password), 4u);
        EXPECT_LE(loaded.directoryToken.size(), setting_folders::kMaxDirectoryToken);
        EXPECT_TRUE(loaded.settings.speedUnit >= 0 && loaded.settings.speedUnit <= 2);
        EXPECT_TRUE(loaded.settings.passwordOn == 0 || loaded.settings.passwordOn == 1);
        // Whatever was loaded and saved whole loads again the same.
        const viewer_config::PopupState popup{loaded.settings, loaded.folders, loaded.directoryToken};
        setting_folders::DroppedTexts dropped;
        const auto again = viewer_config::parse(viewer_config::format(128, popup, &dropped), 1);
        if (loaded.foldersRead && !dropped.any()) {
            EXPECT_EQ(again.folders.folders, loaded.folders.folders);
            EXPECT_EQ(again.directoryToken, loaded.directoryToken);
        }
    }
}

TEST_F(ViewerConfigTest, OverlongFolderTextsAreDroppedSoTheRestSurvives)
{
    viewer_config::PopupState popup = examplePopup();
    popup.record.passwordOn = 1;
    std::memcpy(popup.record.password, "2468", 5);
    popup.folders.folders = {QString(300, 'a'), QString(300, 'b')};
    popup.saveDirectory = QString(100, 'c');
    setting_folders::DroppedTexts dropped;
    const QByteArray text = viewer_config::format(128, popup, &dropped);
    EXPECT_LE(text.size(), viewer_config::kMaxTextSize);
    EXPECT_EQ(text, QByteArray("2?21?0?1?2468????128??1?0??1?0???"));
    EXPECT_EQ(dropped.folders, (std::array<bool, 2>{true, true}));
    EXPECT_TRUE(dropped.directory);

    ASSERT_TRUE(viewer_config::save(128, popup));
    const auto loaded = viewer_config::load(0);
    EXPECT_EQ(loaded.passwordGate, 1);
    EXPECT_STREQ(loaded.settings.password, "2468");
}
