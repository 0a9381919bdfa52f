#include "UsbToolFixture.h"

#include "platform/Registry.h"
#include "resources/Strings.h"
#include "usb/UsbPageControls.h"
#include "usb/UsbScrolledPage.h"
#include "usb/UsbTabControl.h"
#include "usb/UsbTabPage.h"
#include "usb/UsbToolPopup.h"
#include "usb/UsbTransport.h"

#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

namespace {

using Tool = UsbToolPopup;

class UsbToolPopupTest : public UsbToolFixture
{
protected:
    QPushButton* transmitButton() const { return button(tool.get(), Tool::kTransmitId); }
    QPushButton* cancelButton() const { return button(tool.get(), Tool::kCancelId); }
    std::string simLog() const { return sim.log(); }
};

} // namespace

TEST_F(UsbToolPopupTest, IsCentredOnTheDesktopWithSixTabsAndRecorderShown)
{
    openTool();
    EXPECT_EQ(tool->windowTitle(), QStringLiteral("USB Management Tool"));
    EXPECT_FALSE(tool->windowIcon().isNull());
    EXPECT_EQ(tool->size(), QSize(427, 435));
    EXPECT_EQ(tool->parentWidget(), nullptr);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((tool->frameGeometry().center() - desktop.center()).manhattanLength(), 40);

    auto* tabs = tool->findChild<UsbTabControl*>("1097");
    ASSERT_NE(tabs, nullptr);
    QStringList captions;
    for (int i = 0; i < tabs->tabBar()->count(); ++i)
        captions << tabs->tabBar()->tabText(i);
    EXPECT_EQ(captions, QStringList({"Recorder", "RecSet", "Viewer", "Display", "Setting", "Etc"}));
    EXPECT_EQ(transmitButton()->text(), QStringLiteral("Data Transmission"));
    EXPECT_EQ(cancelButton()->text(), QStringLiteral("Cancel"));

    for (int i = 0; i < Tool::PageCount; ++i) {
        UsbTabPage* page = tool->page(i);
        EXPECT_EQ(page->parentWidget(), tabs);
        EXPECT_EQ(page->geometry(), QRect(5, 25, tabs->width() - 10, tabs->height() - 30));
        EXPECT_EQ(page->isVisible(), i == Tool::Recorder) << i;
    }
    EXPECT_EQ(tool->page(Tool::Viewer)->findChild<QPushButton*>("7")->text(), "Save");
}

TEST_F(UsbToolPopupTest, TabChangeHidesTheOldPageAndShowsTheNewOne)
{
    openTool();
    for (int next : {Tool::Setting, Tool::Etc, Tool::RecSet, Tool::Recorder}) {
        showPage(next);
        for (int i = 0; i < Tool::PageCount; ++i)
            EXPECT_EQ(tool->page(i)->isVisible(), i == next) << next << " " << i;
    }
}

TEST_F(UsbToolPopupTest, FirstUseWithoutRegistryValue)
{
    openTool();
    EXPECT_EQ(bytesOf(record), QByteArray(336, '\0'));

    EXPECT_EQ(row(Tool::Recorder, "channels")->index(), -1);
    for (const char* quality : {"quality", "quality2"})
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(row(Tool::Recorder, quality)->button(i)->isEnabled()) << quality << i;
    EXPECT_EQ(row(Tool::Recorder, "videoType")->index(), 0); // "MPEG4": Mega not offered
    EXPECT_FALSE(row(Tool::Recorder, "resolution")->button(2)->isEnabled());

    EXPECT_EQ(row(Tool::RecSet, "recordTime")->index(), -1);
    EXPECT_EQ(list(Tool::RecSet, "motionSeconds")->currentText(), "30");

    EXPECT_EQ(list(Tool::Setting, "year")->currentText(), "2000");
    EXPECT_EQ(list(Tool::Setting, "month")->currentIndex(), -1);
    EXPECT_EQ(list(Tool::Setting, "day")->currentIndex(), -1);
    EXPECT_EQ(list(Tool::Setting, "hour")->currentText(), "0");
    EXPECT_EQ(list(Tool::Setting, "triggerLevel")->currentText(), "0.0");
    EXPECT_EQ(list(Tool::Setting, "brightness")->currentText(), "0");

    for (const char* skin : {"uiSkin", "skin"})
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(row(Tool::Display, skin)->button(i)->isEnabled()) << skin << i;
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(row(Tool::Display, "lcdOutput")->button(i)->isEnabled());
    const QList<QPushButton*> etcButtons = tool->page(Tool::Etc)->findChildren<QPushButton*>();
    EXPECT_EQ(etcButtons.size(), 3);
    for (QPushButton* b : etcButtons)
        EXPECT_FALSE(b->isEnabled()) << qPrintable(b->text());
}

TEST_F(UsbToolPopupTest, LoadsTheStoredRecordIntoThePages)
{
    storeValue(sampleRecord());
    openTool();
    EXPECT_EQ(bytesOf(record), bytesOf(sampleRecord()));
    EXPECT_EQ(row(Tool::Recorder, "channels")->index(), 1);
    EXPECT_EQ(row(Tool::Recorder, "resolution")->index(), 2);
    EXPECT_TRUE(row(Tool::Recorder, "resolution")->button(2)->isEnabled()); // H.264
    EXPECT_FALSE(row(Tool::Recorder, "quality")->button(0)->isEnabled());
    EXPECT_EQ(list(Tool::RecSet, "motionSeconds")->currentText(), "77");
    EXPECT_EQ(row(Tool::Viewer, "viewerSort")->index(), 1);
    EXPECT_EQ(row(Tool::Display, "lcdOutput")->index(), 5);
    EXPECT_EQ(row(Tool::Display, "uiSkin")->index(), 2);
    EXPECT_EQ(list(Tool::Setting, "year")->currentText(), "2026");
    EXPECT_EQ(list(Tool::Setting, "triggerLevel")->currentText(), "1.5");
    EXPECT_EQ(list(Tool::Setting, "inVolume")->currentText(), "100");
}

TEST_F(UsbToolPopupTest, CancelCloseBoxAndEscapeOnlyHideAndTheToolOpensAgain)
{
    openTool();
    EXPECT_EQ(tool->shownState(), 5);
    const auto hiddenThenShownAgain = [this] {
        EXPECT_FALSE(tool->isVisible());
        EXPECT_EQ(tool->shownState(), 0);
        tool->SetVisible(0); // already hidden: nothing changes
        EXPECT_EQ(tool->shownState(), 0);
        tool->SetVisible(5);
        EXPECT_TRUE(tool->isVisible());
        EXPECT_EQ(tool->shownState(), 5);
    };
    showPage(Tool::Display);
    QTest::mouseClick(cancelButton(), Qt::LeftButton);
    hiddenThenShownAgain();
    EXPECT_EQ(tool->currentPage(), Tool::Display); // the pages lived on

    tool->close();
    hiddenThenShownAgain();

    QTest::keyClick(tool.get(), Qt::Key_Escape);
    hiddenThenShownAgain();

    std::unique_ptr<UsbToolPopup> mainWindowsTool;
    UsbToolPopup::showOnRequest(mainWindowsTool);
    ASSERT_NE(mainWindowsTool, nullptr);
    UsbToolPopup* created = mainWindowsTool.get();
    EXPECT_TRUE(created->isVisible());
    created->reject();
    UsbToolPopup::showOnRequest(mainWindowsTool);
    EXPECT_EQ(mainWindowsTool.get(), created);
    EXPECT_TRUE(created->isVisible());
}

TEST_F(UsbToolPopupTest, EnterPressesNoButton)
{
    sim.reset(SimAnswers);
    openTool();
    tool->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tool.get()));
    for (QPushButton* b : tool->findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->isDefault()) << qPrintable(b->text());
        EXPECT_FALSE(b->autoDefault()) << qPrintable(b->text());
    }
    record.channels = 9; // shown as no channel; a Save would clear it
    for (QWidget* target : {static_cast<QWidget*>(transmitButton()),
             static_cast<QWidget*>(button(tool->page(Tool::Recorder), 1))}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    QTest::qWait(50);
    EXPECT_FALSE(tool->isTransmitting());
    EXPECT_EQ(simLog(), "");
    EXPECT_EQ(record.channels, 9);
    EXPECT_TRUE(tool->isVisible());
}

TEST_F(UsbToolPopupTest, DraggedByItsOwnSurfaceOnly)
{
    openTool();
    const QPoint start = tool->pos();
    const QPoint surface(40, 415); // below the tab control, left of the buttons
    ASSERT_EQ(tool->childAt(surface), nullptr);
    QTest::mousePress(tool.get(), Qt::LeftButton, {}, surface);
    QTest::mouseMove(tool.get(), surface + QPoint(30, 20));
    QTest::mouseRelease(tool.get(), Qt::LeftButton, {}, surface + QPoint(30, 20));
    EXPECT_TRUE(waitFor([&] { return tool->pos() == start + QPoint(30, 20); }))
        << tool->pos().x() << "," << tool->pos().y();

    const QPoint moved = tool->pos();
    QWidget* page = tool->page(Tool::Recorder);
    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(page->width() / 2, page->height() - 5));
    QTest::mouseMove(page, QPoint(page->width() / 2 + 40, page->height() + 20));
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(page->width() / 2 + 40, 20));
    QTest::qWait(20);
    EXPECT_EQ(tool->pos(), moved);
}

TEST_F(UsbToolPopupTest, TransmissionRunsOffTheGuiThreadAndTheReplyRefreshesThePages)
{
    DeviceConfig reply = sampleRecord();
    reply.reserved316[0] = 0x0BADCAFE;
    sim.setReply(reinterpret_cast<const unsigned char*>(&reply), DeviceConfig::kSize);
    sim.reset(SimAnswers);
    sim.hold(1);
    openTool();
    row(Tool::Recorder, "channels")->button(0)->click();
    button(tool->page(Tool::Recorder), 1)->click();
    const QByteArray sent = bytesOf(record);
    row(Tool::Recorder, "audio")->button(1)->click(); // an edit that is not saved

    QSignalSpy done(tool.get(), &UsbToolPopup::transmissionDone);
    QTest::mouseClick(transmitButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sim.waiting() == 1; }));

    // The recorder is slow: the window keeps working and shows that it is busy.
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    EXPECT_TRUE(waitFor([&] { return timerRan; }, 2000));
    EXPECT_TRUE(tool->isTransmitting());
    EXPECT_FALSE(transmitButton()->isEnabled());
    EXPECT_FALSE(cancelButton()->isEnabled());
    EXPECT_EQ(transmitButton()->text(), QStringLiteral("Transmitting..."));
    for (int i = 0; i < Tool::PageCount; ++i)
        EXPECT_FALSE(tool->page(i)->isEnabled()) << i;
    QTest::mouseClick(transmitButton(), Qt::LeftButton); // no second transmission
    showPage(Tool::Setting); // the tabs can still be looked through
    EXPECT_TRUE(done.isEmpty());

    sim.hold(0);
    ASSERT_TRUE(waitFor([&] { return !done.isEmpty(); }));
    EXPECT_EQ(done.first().first().toInt(), UsbTransport::Done);
    EXPECT_TRUE(boxes.texts.isEmpty()) << qPrintable(boxes.texts.join('|'));
    const std::string log = sim.log();
    EXPECT_EQ(log.find("bulk_write"), log.rfind("bulk_write")) << log;
    QByteArray received(DeviceConfig::kSize, '\0');
    sim.received(reinterpret_cast<unsigned char*>(received.data()), DeviceConfig::kSize);
    EXPECT_EQ(received, sent);

    EXPECT_EQ(bytesOf(record), bytesOf(reply));
    EXPECT_EQ(storedValue(), bytesOf(reply));
    EXPECT_TRUE(transmitButton()->isEnabled());
    EXPECT_EQ(transmitButton()->text(), QStringLiteral("Data Transmission"));
    EXPECT_TRUE(tool->page(Tool::Recorder)->isEnabled());
    // The pages show the recorder's values now, so the next Save keeps them.
    EXPECT_EQ(row(Tool::Recorder, "channels")->index(), 1);
    EXPECT_EQ(row(Tool::Recorder, "audio")->index(), 2);
    EXPECT_EQ(list(Tool::Setting, "year")->currentText(), "2026");
    button(tool->page(Tool::Setting), 1)->click();
    EXPECT_EQ(bytesOf(record), bytesOf(reply));
}

TEST_F(UsbToolPopupTest, NoRecorderShowsNotFoundAndStoresTheRecordUnchanged)
{
    record = sampleRecord();
    struct Case
    {
        QString library;
        int scenario;
    };
    for (const Case& c : {Case{ZYN_USB_SIM_PATH, SimOtherDevices},
             Case{ZYN_USB_SIM_PATH, SimOpenFails}, Case{"/nonexistent/libusb0.so", SimNoBus}}) {
        platform::Registry::remove("USB Config", "stConfig");
        boxes.texts.clear();
        sim.reset(c.scenario);
        openTool(c.library);
        const QByteArray before = bytesOf(record);
        EXPECT_EQ(transmit(), UsbTransport::NotFound);
        EXPECT_EQ(boxes.texts, QStringList{"Device not found.\n"});
        EXPECT_EQ(bytesOf(record), before);
        EXPECT_EQ(storedValue(), before);
        EXPECT_TRUE(transmitButton()->isEnabled());
        tool.reset();
    }
}

TEST_F(UsbToolPopupTest, EveryOtherFailureIsToldAndTheRecordSentIsStored)
{
    DeviceConfig reply = sampleRecord();
    sim.setReply(reinterpret_cast<const unsigned char*>(&reply), DeviceConfig::kSize);
    struct Case
    {
        int scenario;
        int result;
        const char* text;
    };
    const Case cases[] = {
        {SimConfigFails, UsbTransport::ConfigurationFailed, strings::kUsbConfigRefused.utf8},
        {SimClaimFails, UsbTransport::ClaimFailed, strings::kUsbInterfaceBusy.utf8},
        {SimSilent, UsbTransport::ReadFailed, strings::kUsbReplyIncomplete.utf8},
        {SimShortRead, UsbTransport::ReadFailed, strings::kUsbReplyIncomplete.utf8},
        {SimShortWrite, UsbTransport::WriteFailed, strings::kUsbSendIncomplete.utf8},
    };
    openTool();
    for (const Case& c : cases) {
        record = DeviceConfig{};
        record.year = 2001;
        record.reserved316[4] = 77;
        const QByteArray sent = bytesOf(record);
        row(Tool::Viewer, "viewerSort")->setIndex(1); // on show, never saved
        boxes.texts.clear();
        sim.reset(c.scenario);

        EXPECT_EQ(transmit(), c.result) << c.scenario;
        EXPECT_EQ(boxes.texts, QStringList{QString::fromUtf8(c.text)}) << c.scenario;
        EXPECT_FALSE(boxes.texts.value(0).isEmpty());
        // Whatever part of a reply came back does not replace the record: only a whole one does.
        EXPECT_EQ(bytesOf(record), sent) << c.scenario;
        EXPECT_EQ(storedValue(), sent) << c.scenario;
        // Not a reply to show: the pages keep what the user sees.
        EXPECT_EQ(row(Tool::Viewer, "viewerSort")->index(), 1) << c.scenario;
    }
}

TEST_F(UsbToolPopupTest, AfterAnExchangeCutShortSendingAgainSendsWhatThePagesShow)
{
    // The recorder's own values differ from the user's on every page.
    DeviceConfig reply = sampleRecord();
    sim.setReply(reinterpret_cast<const unsigned char*>(&reply), DeviceConfig::kSize);
    openTool();
    for (const int scenario : {SimShortWrite, SimShortRead}) {
        showPage(Tool::Recorder);
        row(Tool::Recorder, "channels")->button(0)->click(); // "1CH", where the recorder has 2
        button(tool->page(Tool::Recorder), 1)->click();
        UsbTabPage* setting = showPage(Tool::Setting);
        list(Tool::Setting, "year")->setCurrentIndex(5);
        button(setting, 1)->click();
        ASSERT_EQ(record.channels, 1);
        ASSERT_EQ(record.year, 2005);
        const QByteArray sent = bytesOf(record);
        boxes.texts.clear();
        sim.reset(scenario);
        EXPECT_NE(transmit(), UsbTransport::Done) << scenario;
        const strings::Text& told = scenario == SimShortWrite ? strings::kUsbSendIncomplete
                                                              : strings::kUsbReplyIncomplete;
        EXPECT_EQ(boxes.texts, QStringList{told.toString()}) << scenario;

        // The pages, the record and the registry agree on the user's values...
        EXPECT_EQ(row(Tool::Recorder, "channels")->index(), 0) << scenario;
        EXPECT_EQ(list(Tool::Setting, "year")->currentText(), "2005") << scenario;
        EXPECT_EQ(bytesOf(record), sent) << scenario;
        EXPECT_EQ(storedValue(), sent) << scenario;

        // ... so sending again sends them, as the message asks.
        sim.reset(SimAnswers);
        EXPECT_EQ(transmit(), UsbTransport::Done) << scenario;
        QByteArray received(DeviceConfig::kSize, '\0');
        sim.received(reinterpret_cast<unsigned char*>(received.data()), DeviceConfig::kSize);
        EXPECT_EQ(received, sent) << scenario;
        EXPECT_EQ(storedValue(), bytesOf(reply)) << scenario;
        EXPECT_EQ(row(Tool::Recorder, "channels")->index(), 1) << scenario;
    }
}

TEST_F(UsbToolPopupTest, SdFormatAsksBeforeItIsSent)
{
    DeviceConfig reply = sampleRecord();
    sim.setReply(reinterpret_cast<const unsigned char*>(&reply), DeviceConfig::kSize);
    sim.reset(SimAnswers);
    openTool();
    UsbTabPage* setting = showPage(Tool::Setting);
    row(Tool::Setting, "sdFormat")->button(1)->click();
    EXPECT_EQ(record.sdFormat, 0); // not saved: nothing to ask about
    EXPECT_EQ(transmit(), UsbTransport::Done);
    EXPECT_TRUE(boxes.texts.isEmpty());

    showPage(Tool::Setting);
    row(Tool::Setting, "sdFormat")->button(1)->click();
    button(setting, 1)->click();
    ASSERT_EQ(record.sdFormat, 1);
    const QByteArray before = bytesOf(record);
    platform::Registry::remove("USB Config", "stConfig");
    sim.reset(SimAnswers);
    boxes.answers = {platform::IDNO};
    QTest::mouseClick(transmitButton(), Qt::LeftButton);
    QTest::qWait(50);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("SD Format")) << qPrintable(boxes.texts[0]);
    EXPECT_TRUE(boxes.texts[0].contains("erase")) << qPrintable(boxes.texts[0]);
    EXPECT_FALSE(tool->isTransmitting());
    EXPECT_EQ(sim.log(), std::string());
    EXPECT_EQ(bytesOf(record), before);
    EXPECT_TRUE(storedValue().isEmpty());

    boxes.answers = {platform::IDYES};
    EXPECT_EQ(transmit(), UsbTransport::Done);
    EXPECT_EQ(boxes.texts.size(), 2);
    QByteArray received(DeviceConfig::kSize, '\0');
    sim.received(reinterpret_cast<unsigned char*>(received.data()), DeviceConfig::kSize);
    EXPECT_EQ(received, before);
    EXPECT_EQ(storedValue(), bytesOf(reply));
}

TEST_F(UsbToolPopupTest, ClosingTheToolDuringATransmissionWaitsForIt)
{
    sim.reset(SimSilent);
    sim.hold(1);
    openTool();
    QTest::mouseClick(transmitButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sim.waiting() == 1; }));
    tool->close(); // hiding is fine while the exchange runs
    EXPECT_FALSE(tool->isVisible());
    EXPECT_TRUE(tool->isTransmitting());
    std::thread release([&] {
        QThread::msleep(50);
        sim.hold(0);
    });
    tool.reset(); // the main window going away: the exchange is waited for, its outcome dropped
    release.join();
    QTest::qWait(20);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

// Pictures of every page for a person to look at (scripts or a developer set the folder).
TEST_F(UsbToolPopupTest, ScreenshotsOfEveryPage)
{
    const QString folder = qEnvironmentVariable("ZYN_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set ZYN_SCREENSHOT_DIR to write the pictures";
    QDir().mkpath(folder);
    record = sampleRecord();
    openTool();
    auto* tabs = tool->findChild<UsbTabControl*>("1097");
    for (int i = 0; i < Tool::PageCount; ++i) {
        showPage(i);
        QTest::qWait(50);
        const QString name = tabs->tabBar()->tabText(i).toLower();
        ASSERT_TRUE(tool->grab().save(folder + "/usb-" + name + ".png"));
        if (auto* page = qobject_cast<UsbScrolledPage*>(tool->page(i))) {
            page->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
            QTest::qWait(50);
            ASSERT_TRUE(tool->grab().save(folder + "/usb-" + name + "-end.png"));
            page->scrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        }
    }

    tool.reset();
    record = DeviceConfig{};
    openTool();
    ASSERT_TRUE(tool->grab().save(folder + "/usb-first-use.png"));
    sim.reset(SimSilent);
    sim.hold(1);
    QTest::mouseClick(transmitButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sim.waiting() == 1; }));
    ASSERT_TRUE(tool->grab().save(folder + "/usb-busy.png"));
    sim.hold(0);
    ASSERT_TRUE(waitFor([&] { return !tool->isTransmitting(); }));
}
