#include "UsbToolFixture.h"

#include "usb/UsbPageControls.h"
#include "usb/UsbTabPage.h"
#include "usb/UsbToolPopup.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using Tool = UsbToolPopup;

class UsbTabPagesTest : public UsbToolFixture
{
protected:
    // Presses a page's Save button as the user does: on its tab, scrolled into view.
    void pressSave(int page, int id = 1)
    {
        UsbTabPage* shown = showPage(page);
        QPushButton* save = button(shown, id);
        ASSERT_NE(save, nullptr);
        save->click();
    }
    static void click(RadioRow* row, int index)
    {
        QTest::mouseClick(row->button(index), Qt::LeftButton);
    }
};

struct PageSlots
{
    int page;
    int saveId;
    int first; // offsets the page's Save owns, inclusive
    int last;
};

} // namespace

TEST_F(UsbTabPagesTest, EachSaveWritesOnlyItsOwnSlots)
{
    const DeviceConfig sample = sampleRecord();
    record = sample;
    openTool(); // no registry value: the pages show the sample
    const PageSlots pages[] = {{Tool::Recorder, 1, 0, 23}, {Tool::RecSet, 1, 24, 87},
        {Tool::Viewer, 7, 88, 91}, {Tool::Display, 1, 92, 119}, {Tool::Setting, 1, 120, 315}};
    const QByteArray expected = bytesOf(sample);
    for (const PageSlots& p : pages) {
        std::memset(static_cast<void*>(&record), 0x5A, sizeof record);
        pressSave(p.page, p.saveId);
        const QByteArray now = bytesOf(record);
        for (int offset = 0; offset < DeviceConfig::kSize; ++offset) {
            const bool own = offset >= p.first && offset <= p.last;
            ASSERT_EQ(now[offset], own ? expected[offset] : char(0x5A))
                << "page " << p.page << " offset " << offset;
        }
    }
    // The Etc page has nothing to save and no Save button.
    EXPECT_EQ(tool->page(Tool::Etc)->findChild<QPushButton*>("1"), nullptr);
}

TEST_F(UsbTabPagesTest, SavesKeepTheRecordersReservedSlotsAndNothingReachesTheRegistry)
{
    DeviceConfig stored = sampleRecord();
    storeValue(stored);
    openTool();
    for (int page : {Tool::Recorder, Tool::RecSet, Tool::Display, Tool::Setting})
        pressSave(page);
    pressSave(Tool::Viewer, 7);
    EXPECT_EQ(std::memcmp(record.reserved316, stored.reserved316, 20), 0);
    EXPECT_EQ(bytesOf(record), bytesOf(stored)); // every shown value written back unchanged
    list(Tool::Setting, "year")->setCurrentIndex(42);
    pressSave(Tool::Setting);
    EXPECT_EQ(record.year, 2042);
    EXPECT_EQ(storedValue(), bytesOf(stored)); // only a transmission stores the record
}

TEST_F(UsbTabPagesTest, RecorderChannelAndTypeButtonsEnableTheirGroups)
{
    openTool();
    RadioRow* channel = row(Tool::Recorder, "channels");
    RadioRow* type = row(Tool::Recorder, "videoType");
    RadioRow* quality = row(Tool::Recorder, "quality");
    RadioRow* quality2 = row(Tool::Recorder, "quality2");
    QRadioButton* mega = row(Tool::Recorder, "resolution")->button(2);

    click(channel, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(quality->button(i)->isEnabled());
        EXPECT_FALSE(quality2->button(i)->isEnabled());
    }
    click(channel, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(quality->button(i)->isEnabled());
        EXPECT_TRUE(quality2->button(i)->isEnabled());
    }
    click(type, 2);
    EXPECT_TRUE(mega->isEnabled());
    click(type, 1);
    EXPECT_FALSE(mega->isEnabled());
    click(type, 2);

    // "2CH" with "H(1.0M)" stores 2 and 2; "Mega(1.3M)" stores 3; "AMR" stores 3.
    click(quality2, 2);
    click(row(Tool::Recorder, "resolution"), 2);
    click(row(Tool::Recorder, "audio"), 2);
    pressSave(Tool::Recorder);
    EXPECT_EQ(record.channels, 2);
    EXPECT_EQ(record.quality, 2);
    EXPECT_EQ(record.resolution, 3);
    EXPECT_EQ(record.audio, 3);

    // "1CH" with "H(1.6M)" stores 1 and 2, whatever the other group shows.
    click(channel, 0);
    click(quality, 2);
    click(quality2, 0); // disabled: the click does nothing
    pressSave(Tool::Recorder);
    EXPECT_EQ(record.channels, 1);
    EXPECT_EQ(record.quality, 2);
}

TEST_F(UsbTabPagesTest, ListsAndGroupsSaveWhatTheyShow)
{
    record = sampleRecord();
    openTool();
    showPage(Tool::RecSet);
    list(Tool::RecSet, "motionSeconds")->setCurrentIndex(90);
    click(row(Tool::RecSet, "recordTime"), 4);
    pressSave(Tool::RecSet);
    EXPECT_EQ(record.motionSeconds, 120);
    EXPECT_EQ(record.recordTime, 5);

    showPage(Tool::Setting);
    list(Tool::Setting, "triggerLevel")->setCurrentIndex(15);
    list(Tool::Setting, "outVolume")->setCurrentIndex(3);
    list(Tool::Setting, "wdrBias")->setCurrentIndex(0);
    list(Tool::Setting, "month")->setCurrentIndex(11);
    pressSave(Tool::Setting);
    EXPECT_EQ(record.triggerLevel, 1.5f);
    EXPECT_EQ(record.outVolume, 3); // the entry, not the percentage
    EXPECT_EQ(record.wdrBias, -5);
    EXPECT_EQ(record.month, 12);

    showPage(Tool::Display);
    click(row(Tool::Display, "lcdOutput"), 4); // "OBD"
    click(row(Tool::Display, "tvOutput"), 3); // "TPMS"
    pressSave(Tool::Display);
    EXPECT_EQ(record.lcdOutput, 5);
    EXPECT_EQ(record.tvOutput, 4);
    EXPECT_EQ(record.uiSkin, 2); // the disabled groups keep what was loaded
    EXPECT_EQ(record.skin, 1);

    showPage(Tool::Viewer);
    click(row(Tool::Viewer, "viewerSort"), 0);
    pressSave(Tool::Viewer, 7);
    EXPECT_EQ(record.viewerSort, 0);
}

TEST_F(UsbTabPagesTest, StoredValuesOutsideTheListsShowNoSelection)
{
    record.month = 13;
    record.day = -4;
    record.year = 1999;
    record.triggerLevel = std::numeric_limits<float>::quiet_NaN();
    record.brightness = 99;
    record.motionSeconds = -7;
    record.inVolume = 10;
    record.channels = 7;
    record.lcdOutput = 42;
    record.sdFormat = -1;
    openTool();
    for (const char* name : {"month", "day", "year", "triggerLevel", "brightness", "inVolume"}) {
        EXPECT_EQ(list(Tool::Setting, name)->currentIndex(), -1) << name;
        EXPECT_EQ(list(Tool::Setting, name)->currentText(), "") << name;
    }
    EXPECT_EQ(list(Tool::RecSet, "motionSeconds")->currentIndex(), -1);
    EXPECT_EQ(row(Tool::Recorder, "channels")->index(), -1);
    EXPECT_EQ(row(Tool::Display, "lcdOutput")->index(), -1);
    EXPECT_EQ(row(Tool::Setting, "sdFormat")->index(), -1);

    // Saving what nothing shows leaves the slots cleared, never a value nobody chose.
    pressSave(Tool::Setting);
    EXPECT_EQ(record.month, 0);
    EXPECT_EQ(record.triggerLevel, 0.0f);
    EXPECT_EQ(record.sdFormat, 0);
    pressSave(Tool::RecSet);
    EXPECT_EQ(record.motionSeconds, 0);
}

TEST_F(UsbTabPagesTest, TriggerLevelSavedFromItsEntryIsShownAgainNextTime)
{
    openTool();
    list(Tool::Setting, "triggerLevel")->setCurrentIndex(15);
    list(Tool::Setting, "year")->setCurrentIndex(26);
    pressSave(Tool::Setting);
    storeValue(record); // what a transmission leaves in the registry
    tool.reset();
    record = DeviceConfig{};
    openTool();
    EXPECT_EQ(list(Tool::Setting, "triggerLevel")->currentText(), "1.5");
    EXPECT_EQ(list(Tool::Setting, "year")->currentText(), "2026");
}
