#include "ViewerFixture.h"

#include "platform/AppMessage.h"
#include "platform/Exit.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"
#include "files/FilesOpenPopup.h"
#include "files/InfoPopup.h"
#include "resources/Language.h"
#include "resources/Skin.h"
#include "support/RecordingBuilder.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

class MainWindowTest : public ViewerTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        start();
    }
};

// The window born in English: what the popups say and show, the messages, the painted words.
class EnglishWindowTest : public ViewerTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(strings::setLanguage(strings::Language::English));
        ViewerTest::SetUp();
        start();
    }
    void TearDown() override
    {
        ViewerTest::TearDown();
        strings::setLanguage(strings::Language::Russian);
    }
};

TEST_F(EnglishWindowTest, PopupsCaptionsAndMessagesAreEnglish)
{
    const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    clickControl(1241);
    FilesOpenPopup* files = window->filesPopup();
    ASSERT_TRUE(files && files->isVisible());
    EXPECT_EQ(files->windowTitle(), QStringLiteral("Choose recordings"));
    QStringList captions;
    for (const QAbstractButton* button : files->findChildren<QAbstractButton*>())
        captions << button->text();
    for (const char* caption : {"Choose folder", "Add to list", "Cancel", "Select all"})
        EXPECT_TRUE(captions.contains(caption)) << captions.join(" | ").toStdString();
    for (const QString& caption : captions)
        EXPECT_FALSE(caption.contains(cyrillic)) << caption.toStdString();
    files->hide();

    clickControl(1049);
    EXPECT_TRUE(window->infoPopup()->isVisible());
    window->infoPopup()->SetVisible(0);

    // The painted words of the window: the background's captions and the buttons' faces.
    window->repaint();
    const QRect speedCaption(535, 628, 101, 16);
    EXPECT_EQ(window->backBuffer().copy(speedCaption),
        skin::bitmap(130).copy(speedCaption).convertToFormat(window->backBuffer().format()));
    EXPECT_EQ(control(1241)->grab().toImage().convertToFormat(QImage::Format_RGB32),
        skin::bitmap(178).convertToFormat(QImage::Format_RGB32))
        << "the \"Open recordings\" button";

    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_SHOW_COMPLETION, 2), 1);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Video saved."));
    window->openRecordings({QStringLiteral("/nowhere/notes.txt")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts.size() == 2; }, 3000));
    EXPECT_TRUE(boxes.texts[1].startsWith(QStringLiteral("These are not dash camera recordings")))
        << boxes.texts[1].toStdString();
}

TEST_F(MainWindowTest, IsABorderlessWindowOfTheSkinSize)
{
    EXPECT_EQ(window->size(), QSize(1020, 780));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_TRUE(window->isUnlocked());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ZYN Viewer"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_FALSE(control<QLineEdit>(1058)->isVisible());
    EXPECT_FALSE(control(1059)->isVisible());
}

TEST_F(MainWindowTest, CreationPreparesThePlayerAndTheHiddenSettingsPopup)
{
    PVEXAdap* adapter = window->adapter();
    ASSERT_NE(adapter, nullptr);
    EXPECT_TRUE(adapter->libraryLoaded());
    EXPECT_EQ(adapter->current(), adapter->stateReady.get());
    EXPECT_EQ(adapter->placementA[0], 24);
    EXPECT_EQ(adapter->placementA[1], 52);
    EXPECT_EQ(adapter->placementA[2], 640);
    EXPECT_EQ(adapter->placementA[3], 480);
    EXPECT_EQ(adapter->channelCount, 1);
    EXPECT_EQ(adapter->scrambledView, 0);
    EXPECT_EQ(adapter->pauseAfterSeek, 0);
    ASSERT_NE(popup(), nullptr);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(popup()->getMode(), SettingPopup::NotInUse);
    // No stored configuration: the defaults.
    const ViewerSettings record = popup()->getRecord();
    EXPECT_EQ(record.level, 2);
    EXPECT_EQ(record.deviceValue, 21);
    EXPECT_EQ(record.speedUnit, 0);
    EXPECT_EQ(record.passwordOn, 0);
    EXPECT_EQ(record.tailByte1, 5);
    EXPECT_EQ(record.tailByte2, 1);
}

TEST_F(MainWindowTest, BackBufferStartsAsTheBackground)
{
    const QImage background = skin::bitmap(130).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(background.size(), QSize(1020, 780));
    // Where nothing is drawn over the skin: the video and map areas.
    const QRect plain(0, 40, 1020, 500);
    EXPECT_EQ(window->backBuffer().copy(plain), background.copy(plain));
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(500, 300), background.pixel(500, 300));
}

TEST_F(MainWindowTest, TitleButtonsSitAtTheirPlaces)
{
    EXPECT_EQ(control(1001)->geometry(), QRect(925, 1, 45, 25));
    EXPECT_EQ(control(1002)->geometry(), QRect(970, 1, 45, 25));
    EXPECT_EQ(control(1006)->geometry(), QRect(966, 46, 34, 34));
}

TEST_F(MainWindowTest, CloseButtonEndsTheDialogButNotWhileTheSettingsPopupIsInUse)
{
    QSignalSpy finished(window.get(), &QDialog::finished);
    clickControl(1006);
    ASSERT_EQ(popup()->getMode(), SettingPopup::ViewSettings);
    clickControl(1002);
    EXPECT_EQ(finished.count(), 0);
    clickPopupButton(1048);
    clickControl(1002);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, EnterAndEscapeNeverClose)
{
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Enter);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, DragStripMovesTheWindowAndTheRestDoesNot)
{
    const QPoint start = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 10));
    QTest::mouseMove(window.get(), QPoint(540, 30));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(540, 30));
    EXPECT_EQ(window->pos(), start + QPoint(40, 20));

    const QPoint moved = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 40));
    QTest::mouseMove(window.get(), QPoint(560, 80));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(560, 80));
    EXPECT_EQ(window->pos(), moved);
}

TEST_F(MainWindowTest, SettingsButtonOpensTheViewSettingsWhereTheWindowIsNow)
{
    window->move(100, 50);
    clickControl(1006);
    EXPECT_TRUE(popup()->isVisible());
    EXPECT_EQ(popup()->getMode(), SettingPopup::ViewSettings);
    EXPECT_EQ(popup()->geometry(), QRect(424, 205, 377, 380));
    // Pressed again while in use: nothing changes.
    clickPopup(30, 155);
    clickControl(1006);
    EXPECT_EQ(popup()->workingRecord().passwordOn, 1);
    EXPECT_EQ(popup()->passwordPanel()->geometry().topLeft(), QPoint(474, 270));
}

TEST_F(MainWindowTest, LibraryMessagesAreAnswered)
{
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_LIBRARY_ACK), 1);
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_SHOW_COMPLETION, 2), 1);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Законченные сбережениа видео."));
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_SETTINGS_CLOSED, 0, 0), 0);
}

TEST_F(MainWindowTest, TheConfigurationIsWrittenOnceWhenTheWindowGoes)
{
    clickControl(1006);
    clickPopup(260, 90);
    clickPopup(100, 140); // miles per hour
    clickPopupButton(1048);
    EXPECT_TRUE(storedConfiguration().isEmpty()) << "nothing is written before the end";
    window.reset();
    EXPECT_EQ(storedConfiguration(), QByteArray("2?21?1?0?????128??1?0??1?0???"));
}

TEST_F(MainWindowTest, ARecordingThatEndsTheProgramLeavesTheSettingsStored)
{
    clickControl(1006);
    clickPopup(260, 90);
    clickPopup(100, 190); // knots
    clickPopupButton(1048);
    // A file the general view mode refuses: bytes 4 to 7 are not "ftyp".
    QTemporaryDir card;
    const QString path = card.path() + QStringLiteral("/drf_20240102_030405.mp4");
    ASSERT_TRUE(testsupport::RecordingBuilder().mdat(64).writeTo(path));
    PVEXAdap* adapter = window->adapter();
    adapter->switchState(adapter->stateLoading.get());
    {
        platform::ExitRecorder exits;
        EXPECT_THROW(adapter->current()->openFile(path.toLocal8Bit().constData(), ""),
            platform::ExitRequested);
    }
    EXPECT_TRUE(storedConfiguration().startsWith("2?21?2?0?")) << storedConfiguration().data();
    ASSERT_EQ(boxes.texts.size(), 1);
}

// The lock.

class LockTest : public ViewerTest
{
protected:
    void lockWith(const QByteArray& password)
    {
        storeConfiguration("2?21?0?1?" + password + "?0???128??1?0??1?0???");
        start();
    }
};

TEST_F(LockTest, LockedScreenAsLaidOut)
{
    lockWith("1234");
    EXPECT_FALSE(window->isUnlocked());
    EXPECT_EQ(window->size(), QSize(440, 300));
    EXPECT_EQ(control(1002)->geometry(), QRect(390, 1, 45, 25));
    auto* entry = control<QLineEdit>(1058);
    EXPECT_EQ(entry->geometry(), QRect(165, 204, 95, 18));
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->maxLength(), 4);
    EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
    EXPECT_EQ(entry->font().pixelSize(), 18);
    EXPECT_EQ(entry->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(entry->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(window->focusWidget(), entry);
    EXPECT_EQ(control(1059)->geometry(), QRect(278, 197, 29, 29));
    EXPECT_TRUE(control(1059)->isVisible());
    EXPECT_FALSE(control(1006)->isVisible());

    const QImage& shown = window->backBuffer();
    const QImage lock = skin::bitmap(129).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(10, 290), lock.pixel(10, 290));
    for (const QPoint corner : {QPoint(160, 198), QPoint(266, 198), QPoint(160, 225),
             QPoint(266, 225), QPoint(200, 198), QPoint(160, 210)})
        EXPECT_EQ(QColor(shown.pixel(corner)), QColor(0x82, 0x82, 0x82))
            << corner.x() << "," << corner.y();
    int white = 0;
    for (int y = 200; y < 224; ++y)
        for (int x = 80; x < 150; ++x)
            white += qGray(shown.pixel(x, y)) > 200;
    EXPECT_GT(white, 20) << "the word Пароль at 80, 200";
}

TEST_F(LockTest, KeysDoNotCloseItAndAWrongEntryEndsTheViewer)
{
    lockWith("0042");
    QSignalSpy finished(window.get(), &QDialog::finished);
    auto* entry = control<QLineEdit>(1058);
    QTest::keyClick(entry, Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(finished.count(), 0);
    QTest::keyClicks(entry, QStringLiteral("00421"));
    EXPECT_EQ(entry->text(), QStringLiteral("0042")) << "four characters at most";
    entry->clear();
    enterPassword(QStringLiteral("42"));
    EXPECT_EQ(finished.count(), 1) << "the stored password is 0042, not 42";
    EXPECT_TRUE(boxes.texts.isEmpty()) << "without a word";
}

TEST_F(LockTest, TheRightPasswordOpensTheFullWindowAfterTheAnimation)
{
    lockWith("0042");
    window->move(200, 100);
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::keyClicks(control<QLineEdit>(1058), QStringLiteral("0042"));
    clickControl(1059);
    ASSERT_TRUE(window->unlocking());
    EXPECT_FALSE(control(1059)->isVisible());
    EXPECT_EQ(window->backBuffer().copy(272, 192, 40, 40),
        skin::bitmap(131).convertToFormat(QImage::Format_RGB32));
    // Nothing is taken meanwhile: not even the close button.
    clickControl(1002);
    EXPECT_EQ(finished.count(), 0);

    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->unlocking(); }, 5000));
    EXPECT_TRUE(window->isUnlocked());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1020, 780));
    EXPECT_EQ(control(1002)->geometry(), QRect(970, 1, 45, 25));
    EXPECT_FALSE(control<QLineEdit>(1058)->isVisible());
    EXPECT_TRUE(control(1006)->isVisible());
    const QRect plain(0, 40, 1020, 500);
    EXPECT_EQ(window->backBuffer().copy(plain),
        skin::bitmap(130).convertToFormat(QImage::Format_RGB32).copy(plain));
    clickControl(1006);
    EXPECT_EQ(popup()->geometry().topLeft(), QPoint(324, 155));
}

TEST_F(LockTest, AnEmptyStoredPasswordOpensOnlyToAnEmptyEntry)
{
    lockWith("");
    enterPassword(QString());
    EXPECT_TRUE(window->isUnlocked());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->unlocking(); }, 5000));
    EXPECT_EQ(window->size(), QSize(1020, 780));
}

} // namespace
