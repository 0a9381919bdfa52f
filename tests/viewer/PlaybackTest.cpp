// The main window playing demo recordings with the real player library: opening, the end of a
// recording, the guards, the transport commands against what the player is told, and
// recordings that cannot be played. Real time, so the program runs alone.
#include "PlayingFixture.h"

#include "player/PVEXstat1.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat9.h"
#include "recording/EventIndex.h"
#include "recording/PositionSentence.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "viewer/PlayListPainter.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolTip>
#include <QUrl>
#include <QWindow>

namespace {

TEST_F(PlaybackTest, PlayOpensTheSelectedRowAndTheScreenFollows)
{
    addFolder(minuteCard());
    const QStringList listed = window->playList().entries();
    ASSERT_EQ(listed.size(), 2);
    clickAt(rowPoint(1));
    clickControl(1011);
    EXPECT_TRUE(window->isPlaying()) << "playing from the press on";
    waitPlaying(1);
    waitSecond(1);
    EXPECT_EQ(window->playList().currentPath(), listed[1]);
    EXPECT_EQ(CommandLog::starting("pvex_loadfile"),
        std::vector<std::string>{"pvex_loadfile \"" + listed[1].toStdString() + "\" \"\""});
    // The player was not running yet: it took the level at its start and is given it again
    // with its first report.
    EXPECT_EQ(adapter()->volume, 100);
    EXPECT_EQ(CommandLog::starting("volume 100 2").size(), 1u);
    EXPECT_GT(window->progress(), 0);

    // Pressed again on the open row: nothing new.
    clickControl(1011);
    EXPECT_EQ(loadsSent(), 1);
    // From a playing recording to another one, the volume goes with the open, twice.
    playRow(0);
    EXPECT_EQ(CommandLog::starting("volume 100 2").size(), 3u);
    playRow(1);

    window->repaint();
    const QImage shown = window->backBuffer();
    const QImage clean = skin::bitmap(130).convertToFormat(QImage::Format_RGB32);
    int title = 0;
    int time = 0;
    for (int y = 7; y < 37; ++y)
        for (int x = 25; x < 325; ++x)
            title += shown.pixel(x, y) != clean.pixel(x, y);
    for (int y = 553; y < 573; ++y)
        for (int x = 430; x < 575; ++x)
            time += shown.pixel(x, y) != clean.pixel(x, y);
    EXPECT_GT(title, 100) << "the recording's name at 25, 7";
    EXPECT_GT(time, 100) << "elapsed and total time";
    EXPECT_EQ(QColor(shown.pixel(690, 638 + 18 + 2)), PlayListPainter::kSelectionColour);

    // The player's picture stays over the video area when the window is dragged.
    auto* video = window->findChild<QWidget*>(QStringLiteral("velqplayer-video-1"));
    ASSERT_NE(video, nullptr);
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 10));
    QTest::mouseMove(window.get(), QPoint(560, 50));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(560, 50));
    EXPECT_EQ(window->pos(), QPoint(60, 40));
    EXPECT_EQ(video->geometry(), QRect(24, 52, 640, 480));
    EXPECT_TRUE(video->isVisible());
}

TEST_F(PlaybackTest, TheEndMovesToTheNextRowAndFromTheLastToTheFirst)
{
    addFolder(shortCard());
    playRow(1);
    waitPlaying(0, 12000);
    EXPECT_EQ(window->playList().selected(), 0);
    waitPlaying(1, 12000);
    EXPECT_EQ(loadsSent(), 3);

    // An end with another lParam opens the selected row without moving the selection.
    clickAt(rowPoint(0));
    platform::sendMessage(window.get(), platform::UM_LAST_RECORD, 0, 0);
    EXPECT_EQ(window->playList().current(), 0);
    EXPECT_EQ(window->playList().selected(), 0);
    waitPlaying(0);
}

TEST_F(PlaybackTest, StopAndClearListInTheLastSecondStartNothingLater)
{
    addFolder(shortCard());
    playRow(0);
    waitSecond(adapter()->lengthSeconds - 1);
    clickControl(1010);
    // However late the player's end comes, it finds nothing playing.
    platform::notifyMessage(window.get(), platform::UM_LAST_RECORD, 0, 1);
    QTest::qWait(1500);
    EXPECT_FALSE(window->isPlaying());
    EXPECT_EQ(window->playList().current(), -1);
    EXPECT_EQ(loadsSent(), 1);
    EXPECT_EQ(CommandLog::last("pt_step"), "pt_step 1 1");

    playRow(1);
    waitSecond(adapter()->lengthSeconds - 1);
    clickControl(1072);
    platform::notifyMessage(window.get(), platform::UM_LAST_RECORD, 0, 1);
    QTest::qWait(1500);
    EXPECT_FALSE(window->isPlaying());
    EXPECT_TRUE(window->playList().isEmpty());
    EXPECT_EQ(loadsSent(), 2);
    EXPECT_EQ(CommandLog::last("volume"), "volume 0 2");
    // Clear list muted the player; the next recording is heard again.
    addFolder(shortCard());
    playRow(0);
    waitSecond(1);
    EXPECT_EQ(CommandLog::last("volume"), "volume 100 2");
}

TEST_F(PlaybackTest, WhileTheSettingsPopupWorksTheTransportAndTheKeysDoNothing)
{
    addFolder(minuteCard());
    playRow(0);
    waitSecond(1); // the volume has reached the player with its first report
    QSignalSpy finished(window.get(), &QDialog::finished);
    for (int mode : {SettingPopup::Capture, SettingPopup::FileSaving, SettingPopup::ViewSettings}) {
        popup()->setMode(mode);
        CommandLog::clear();
        for (int id : {1011, 1009, 1010, 1007, 1012, 1072, 1002})
            clickControl(id);
        for (int id : {1081, 1082, 1094})
            control(id)->click();
        for (Qt::Key k : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Left, Qt::Key_Period,
                 Qt::Key_PageUp, Qt::Key_PageDown})
            key(k);
        key(Qt::Key_F4, Qt::AltModifier);
        window->windowHandle()->close(); // the window manager's close
        QTest::qWait(100);
        EXPECT_TRUE(CommandLog::sent().empty())
            << "mode " << mode << ": " << CommandLog::sent().front();
        EXPECT_TRUE(window->isPlaying()) << mode;
        EXPECT_FALSE(window->isPaused()) << mode;
        EXPECT_EQ(window->playList().current(), 0) << mode;
        EXPECT_EQ(window->playList().count(), 2) << mode;
        EXPECT_EQ(adapter()->pauseAfterSeek, 0) << mode;
        EXPECT_TRUE(window->isVisible()) << mode;
        EXPECT_EQ(finished.count(), 0) << mode;
    }
    popup()->setMode(SettingPopup::NotInUse);
    key(Qt::Key_Space);
    EXPECT_TRUE(window->isPaused());
    EXPECT_EQ(CommandLog::sent(), std::vector<std::string>{"pause"});
    key(Qt::Key_PageDown);
    waitPlaying(1);
    key(Qt::Key_PageUp);
    waitPlaying(0);
    window->windowHandle()->close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isPlaying()) << "closing stops playback";
    EXPECT_EQ(CommandLog::last("pt_step"), "pt_step 1 1");
}

TEST_F(PlaybackTest, NearTheEndOfAMinuteOnlyTheEndMovesOn)
{
    addFolder(minuteCard());
    playRow(0);
    ASSERT_EQ(adapter()->lengthSeconds, 60);
    // Progress 331 of 342 stands for second 58.
    clickAt(stripPoint(52 + 331));
    EXPECT_EQ(CommandLog::last("seek"), "seek 58.00 2");
    waitSecond(58);
    CommandLog::clear();
    clickControl(1012);
    clickControl(1007);
    key(Qt::Key_PageDown);
    clickAt(rowPoint(1));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, rowPoint(1));
    clickControl(1011);
    EXPECT_EQ(loadsSent(), 0);
    EXPECT_EQ(window->playList().current(), 0);
    // A held picture runs again, but nothing else is opened.
    clickControl(1009);
    EXPECT_TRUE(window->isPaused());
    clickControl(1011);
    EXPECT_FALSE(window->isPaused());
    EXPECT_EQ(CommandLog::sent(), (std::vector<std::string>{"pause", "pause"}));
    // The selection is on row 1: the end moves on from the open row 0 to row 1 all the same.
    waitPlaying(1, 8000);

    // The thumb dragged to the end seeks to the last second, not past it.
    press(seekThumb());
    moveTo({300, 564});
    moveTo({500, 564});
    EXPECT_EQ(window->progress(), 342);
    release({500, 564});
    EXPECT_EQ(CommandLog::last("seek"), "seek 59.00 2");
    EXPECT_FALSE(window->isPaused()) << "the seek let the held picture run";
    waitPlaying(0, 8000);
}

TEST_F(PlaybackTest, PauseFollowsThePlayerThroughStepsAndSeeks)
{
    addFolder(minuteCard());
    playRow(0);
    waitSecond(1);
    CommandLog::clear();
    clickControl(1009);
    EXPECT_TRUE(window->isPaused());
    EXPECT_FALSE(moving());

    // A frame step leaves the picture held; Pause then has nothing to toggle.
    control(1094)->click();
    EXPECT_TRUE(window->isPaused());
    EXPECT_EQ(adapter()->pauseAfterSeek, 1);
    clickControl(1009);
    EXPECT_EQ(adapter()->pauseAfterSeek, 0);
    EXPECT_EQ(CommandLog::starting("pause").size(), 1u);
    control(1094)->click();
    clickControl(1011);
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving()) << "play after a pause and a step plays";

    // Pause ends the step mode; after it the first one-second step lets the picture run, and
    // in step mode the next one holds it.
    clickControl(1009);
    key(Qt::Key_Space);
    EXPECT_FALSE(window->isPaused());
    control(1081)->click();
    EXPECT_FALSE(window->isPaused());
    control(1082)->click();
    EXPECT_TRUE(window->isPaused());
    EXPECT_FALSE(moving());
    key(Qt::Key_Space);
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving());

    // Pressing the seek thumb holds the picture while it is dragged; out of step mode the
    // seek lets it run.
    clickControl(1009);
    key(Qt::Key_Space);
    press(seekThumb());
    EXPECT_TRUE(window->isPaused());
    release(seekThumb());
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving());
    // Held before the press, the picture is not toggled back to running by it.
    clickControl(1009);
    CommandLog::clear();
    press(seekThumb());
    EXPECT_TRUE(CommandLog::sent().empty());
    release(seekThumb());
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving());

    // A held picture does not carry over to the next recording, nor past Stop.
    clickControl(1009);
    clickControl(1012);
    waitPlaying(1);
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving());
    clickControl(1009);
    clickControl(1010);
    clickControl(1011);
    waitPlaying(1);
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving());
}

TEST_F(PlaybackTest, SliderAndSeekBarPixelsGiveTheirCommands)
{
    addFolder(minuteCard());
    playRow(0);
    // Each click lands beside the thumb the click before left, so none of them grabs it.
    const std::pair<int, const char*> speeds[]
        = {{640, "speed_set 0.15 2"}, {663, "speed_set 0.15 2"}, {732, "speed_set 4.00 2"},
            {664, "speed_set 0.25 2"}, {731, "speed_set 2.00 2"}, {697, "speed_set 0.50 2"},
            {769, "speed_set 4.00 2"}, {698, "speed_set 1.00 2"}};
    for (const auto& [x, command] : speeds) {
        clickAt({x, 560});
        EXPECT_EQ(CommandLog::last("speed_set"), command) << "x " << x;
    }
    EXPECT_EQ(window->speedSlider().value(), 52);
    EXPECT_EQ(window->speedSlider().preset(), 4);

    const std::pair<int, const char*> volumes[] = {{837, "volume 0 2"}, {967, "volume 100 2"},
        {838, "volume 0 2"}, {934, "volume 90 2"}, {947, "volume 100 2"}, {839, "volume 15 2"},
        {935, "volume 95 2"}, {977, "volume 100 2"}, {946, "volume 95 2"}};
    for (const auto& [x, command] : volumes) {
        clickAt({x, 560});
        EXPECT_EQ(CommandLog::last("volume"), command) << "x " << x;
    }
    EXPECT_EQ(window->volumeSlider().value(), 108);

    // The seek strip: pixels 52 to 394 of the strip give progress 0 to 342.
    for (const auto& [x, command] : {std::pair{35, "seek 0.00 2"}, std::pair{53, "seek 0.00 2"},
             std::pair{58, "seek 1.00 2"}, std::pair{223, "seek 30.00 2"}}) {
        clickAt(stripPoint(x));
        EXPECT_EQ(CommandLog::last("seek"), command) << "x " << x;
    }
    // The strip's right end seeks to the very end, and the end moves on.
    clickAt(stripPoint(394));
    EXPECT_EQ(window->progress(), 342);
    EXPECT_EQ(CommandLog::last("seek"), "seek 60.00 2");
    waitPlaying(1, 8000);
}

// A card folder of the short card's recordings, some of them damaged.
class DamagedCardTest : public PlaybackTest
{
protected:
    void copy(int source, const QString& name, qint64 bytes, const QString& from = shortCard())
    {
        QFile in(recordingsIn(from)[source]);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFile out(card.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes < 0 ? in.readAll() : in.read(bytes));
    }
    // A recording's file type box and then bytes that are no media at all: the player fails on
    // it, and there is nothing to recover.
    void junk(const QString& name)
    {
        QFile in(recordingsIn(shortCard())[0]);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFile out(card.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.read(32) + QByteArray("This is no recording, only its name.\n").repeated(2000));
    }
    bool removeFromCard(const QString& name) { return QFile::remove(card.filePath(name)); }
    QTemporaryDir card;
};

TEST_F(DamagedCardTest, TheListPlaysOnPastDamagedRecordingsAndNamesThoseOpenedOnPurpose)
{
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1);
    copy(0, QStringLiteral("drf_20240101_000002.mp4"), 0); // empty
    junk(QStringLiteral("drf_20240101_000003.mp4"));
    copy(0, QStringLiteral("drf_20240101_000004.mp4"), -1); // removed once listed
    copy(1, QStringLiteral("drf_20240101_000005.mp4"), -1);
    addFolder(card.path());
    const PlayList& list = window->playList();
    ASSERT_EQ(list.count(), 5);
    ASSERT_TRUE(removeFromCard(QStringLiteral("drf_20240101_000004.mp4")));

    // The list moving on by itself passes over the three without a message box, marks them
    // with their reasons and says so in the title; the fifth plays.
    playRow(0);
    waitPlaying(4, 20000);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'\n').toStdString();
    EXPECT_FALSE(list.isDamaged(0));
    EXPECT_EQ(list.damagedReason(1), QStringLiteral("Файл пуст."));
    EXPECT_TRUE(list.damagedReason(2).startsWith(QStringLiteral("Проигрыватель не смог")));
    EXPECT_EQ(list.damagedReason(3), QStringLiteral("Файл не найден."));
    EXPECT_FALSE(list.isDamaged(4));
    EXPECT_EQ(window->status(), QStringLiteral("Повреждена, пропущена: drf_20240101_000004.mp4"));
    window->repaint();
    int red = 0;
    for (int x = 796; x < 985; ++x)
        red += QColor(window->backBuffer().pixel(x, 638 + 18 * 2 + 9))
            == PlayListPainter::kDamagedColour;
    EXPECT_GT(red, 20) << "the damaged row is struck through in its colour";
    QHelpEvent hover(QEvent::ToolTip, rowPoint(1), window->mapToGlobal(rowPoint(1)));
    QCoreApplication::sendEvent(window.get(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Файл пуст."));

    // Opened on purpose, each is named in a message and playback stops.
    clickAt(rowPoint(1));
    clickControl(1011);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts.size() == 1; }, 10000));
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("drf_20240101_000002.mp4")));
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("Файл пуст.")));
    EXPECT_FALSE(window->isPlaying());
    EXPECT_EQ(list.current(), 1);

    clickControl(1012);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts.size() == 2; }, 10000));
    EXPECT_TRUE(boxes.texts[1].contains(QStringLiteral("drf_20240101_000003.mp4")));
    EXPECT_TRUE(boxes.texts[1].contains(QStringLiteral("Проигрыватель не смог")));
    EXPECT_FALSE(window->isPlaying());
    EXPECT_NE(adapter()->current(), adapter()->stateLoading.get());

    clickControl(1012);
    ASSERT_EQ(boxes.texts.size(), 3);
    EXPECT_TRUE(boxes.texts[2].contains(QStringLiteral("drf_20240101_000004.mp4")));
    EXPECT_TRUE(boxes.texts[2].contains(QStringLiteral("Файл не найден.")));

    clickControl(1012);
    waitPlaying(4);
    EXPECT_EQ(boxes.texts.size(), 3);
}

TEST_F(DamagedCardTest, AListOfOnlyDamagedRecordingsEndsQuietlyAfterOnePass)
{
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1);
    copy(0, QStringLiteral("drf_20240101_000002.mp4"), 0);
    junk(QStringLiteral("drf_20240101_000003.mp4"));
    addFolder(card.path());
    playRow(0);
    // Gone from the card while it plays: once it ends, nothing of the list can be played.
    ASSERT_TRUE(removeFromCard(QStringLiteral("drf_20240101_000001.mp4")));
    const PlayList& list = window->playList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.isDamaged(0); }, 15000));
    QTest::qWait(2000);
    EXPECT_FALSE(window->isPlaying());
    EXPECT_TRUE(list.isDamaged(1) && list.isDamaged(2));
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(loadsSent(), 2) << "the first recording and the cut one, once each";
}

// How much of the player's picture is not black.
int litPixels(QWidget* video)
{
    const QImage picture = video->grab().toImage();
    int lit = 0;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4)
            lit += qGray(picture.pixel(x, y)) > 16;
    return lit;
}

TEST_F(DamagedCardTest, ARecordingTheCameraNeverClosedIsOfferedRecoveredAndPlayed)
{
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1, minuteCard());
    // The power went while the camera wrote it: pictures and sound, no index.
    copy(1, QStringLiteral("drf_20240101_000101.mp4"), 2000000, minuteCard());
    const QString recovered = card.filePath(QStringLiteral("drf_20240101_000101_recovered.mp4"));
    // Five rows before them: the recovered copy joins the list as its eighth row, on the
    // second page.
    addFolder(namesFolder(5));
    addFolder(card.path());
    const PlayList& list = window->playList();
    const int healthy = 5;
    const int damaged = 6;
    window->repaint();
    EXPECT_FALSE(list.isRecoverable(healthy));
    EXPECT_TRUE(list.isRecoverable(damaged));
    int amber = 0;
    for (int x = 796; x < 985; ++x)
        amber += QColor(window->backBuffer().pixel(x, 638 + 18 * damaged + 9))
            == PlayListPainter::kRecoverableColour;
    EXPECT_GT(amber, 20) << "the row has a look of its own";
    QHelpEvent hover(QEvent::ToolTip, rowPoint(damaged), window->mapToGlobal(rowPoint(damaged)));
    QCoreApplication::sendEvent(window.get(), &hover);
    EXPECT_EQ(QToolTip::text(), QString(strings::kReasonNotClosed));

    // The healthy one first: its speed and place must not stay for the recovered one.
    playRow(healthy);
    waitSecond(2);
    ASSERT_TRUE(recording::hasPosition(window->telemetryPanel().record()));

    // Declined: nothing is written, and the list plays on with the entry after it (the first,
    // past the end), as it does past a recording it cannot play.
    boxes.answers = {platform::IDNO};
    clickAt(rowPoint(damaged));
    clickControl(1011);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0],
        QStringLiteral("Запись не была закрыта камерой (пропало питание?). Восстановить?"));
    // The empty rows ahead are passed over on the way to the healthy one.
    waitPlaying(healthy, 15000);
    EXPECT_FALSE(QFile::exists(recovered));
    EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join(u'\n').toStdString();

    // Accepted: recovered beside it from the healthy recording, added to the list on a page of
    // its own, shown and played, without telemetry of its own.
    boxes.answers = {platform::IDYES};
    clickAt(rowPoint(damaged));
    clickControl(1011);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return list.currentPath() == recovered && window->isPlaying() && playerPlaying(); },
        30000));
    waitSecond(2);
    EXPECT_EQ(list.count(), 8);
    EXPECT_EQ(list.page(), 1) << "the page with the recovered row";
    window->repaint();
    EXPECT_EQ(QColor(window->backBuffer().pixel(690, 638 + 9)), PlayListPainter::kSelectionColour)
        << "its row is the first of that page, selected";
    EXPECT_EQ(boxes.texts.size(), 2) << boxes.texts.join(u'\n').toStdString();
    EXPECT_EQ(adapter()->noTelemetry, 1);
    EXPECT_FALSE(recording::hasPosition(window->telemetryPanel().record()));
    EXPECT_EQ(window->telemetryPanel().record().speed, 0);
    EXPECT_GE(adapter()->lengthSeconds, 5) << "the pictures before the cut";
    EXPECT_TRUE(window->status().contains(QStringLiteral("drf_20240101_000101_recovered.mp4")));
}

TEST_F(DamagedCardTest, PlayingOnPastARecordingTheCameraNeverClosedSaysItCanBeRecovered)
{
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1);
    copy(1, QStringLiteral("drf_20240101_000004.mp4"), 2000000, minuteCard());
    copy(1, QStringLiteral("drf_20240101_000007.mp4"), -1);
    addFolder(card.path());
    const PlayList& list = window->playList();
    playRow(0);
    waitPlaying(2, 20000);
    EXPECT_EQ(window->status(),
        QString(strings::kSkippedNotClosed).arg(QStringLiteral("drf_20240101_000004.mp4")));
    EXPECT_FALSE(list.isDamaged(1)) << "not damaged: it keeps its look of one to recover";
    EXPECT_TRUE(list.isRecoverable(1));
    EXPECT_TRUE(boxes.texts.isEmpty()) << "nothing asked while the list plays on";
}

TEST_F(DamagedCardTest, WithoutAHealthyRecordingBesideItTheUserPicksAFolderWithOne)
{
    // Copied off the card alone; the card itself holds a healthy one.
    QTemporaryDir alone;
    QFile in(recordingsIn(minuteCard())[1]);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QString damaged = QDir(alone.path()).filePath(QStringLiteral("drf_20240101_000101.mp4"));
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(in.read(2000000));
    out.close();
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1, minuteCard());

    // Recover: yes; no healthy recording beside it, choose a folder: yes; the card's folder.
    boxes.answers = {platform::IDYES, platform::IDYES};
    browser.answers = {card.path()};
    window->openRecordings({damaged});
    const QString recovered
        = QDir(alone.path()).filePath(QStringLiteral("drf_20240101_000101_recovered.mp4"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->playList().currentPath() == recovered && window->isPlaying(); },
        30000))
        << boxes.texts.join(u'\n').toStdString();
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts[0], QString(strings::kOfferRecovery));
    EXPECT_EQ(boxes.texts[1], QString(strings::kNoReference));
    EXPECT_EQ(browser.titles, QStringList{QString(strings::kChooseReferenceFolder)});

    // A folder with no healthy recording of the kind: said so, nothing written.
    QTemporaryDir empty;
    const QString second = QDir(alone.path()).filePath(QStringLiteral("evt_20240101_000201.mp4"));
    ASSERT_TRUE(QFile::copy(damaged, second));
    boxes.texts.clear();
    boxes.answers = {platform::IDYES, platform::IDYES};
    browser.answers = {empty.path()};
    window->openRecordings({second});
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts.size() == 3; }, 30000))
        << boxes.texts.join(u'\n').toStdString();
    EXPECT_EQ(boxes.texts[2], QString(strings::kNoReferenceInFolder));
    EXPECT_FALSE(QFile::exists(
        QDir(alone.path()).filePath(QStringLiteral("evt_20240101_000201_recovered.mp4"))));
}

TEST_F(DamagedCardTest, AFailedOpenLeavesTheVideoAreaEmptyAsStopDoes)
{
    copy(0, QStringLiteral("drf_20240101_000001.mp4"), -1, minuteCard());
    junk(QStringLiteral("drf_20240101_000002.mp4")); // the player fails
    copy(1, QStringLiteral("drf_20240101_000003.mp4"), -1, minuteCard()); // gone once listed
    addFolder(card.path());
    ASSERT_TRUE(removeFromCard(QStringLiteral("drf_20240101_000003.mp4")));
    playRow(0);
    waitSecond(1);
    auto* video = window->findChild<QWidget*>(QStringLiteral("velqplayer-video-1"));
    ASSERT_NE(video, nullptr);
    ASSERT_GT(litPixels(video), 1000) << "the recording's picture";
    clickControl(1010);
    EXPECT_TRUE(QTest::qWaitFor([&] { return litPixels(video) == 0; }, 3000)) << "Stop";

    for (int row : {1, 2}) {
        playRow(0);
        waitSecond(1);
        ASSERT_GT(litPixels(video), 1000);
        clickAt(rowPoint(row));
        clickControl(1011);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }, 10000)) << row;
        boxes.texts.clear();
        EXPECT_TRUE(QTest::qWaitFor([&] { return litPixels(video) == 0; }, 3000))
            << "row " << row << " failed to open";
    }
}

TEST_F(PlaybackTest, ARecordingEndingUnderTheSettingsPopupMovesOnOnceItCloses)
{
    addFolder(shortCard());
    playRow(0);
    clickControl(1006);
    ASSERT_EQ(popup()->getMode(), SettingPopup::ViewSettings);
    // It plays to its end under the popup, and the list waits for the popup.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return adapter()->current() == adapter()->stateIdle.get(); }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(window->playList().current(), 0);
    clickPopupButton(1045);
    waitPlaying(1);
    key(Qt::Key_Space);
    EXPECT_TRUE(window->isPaused()) << "the transport works again";
}

TEST_F(PlaybackTest, StopPutsTheSpeedThumbBackOnTheScreen)
{
    addFolder(minuteCard());
    playRow(0);
    const SpeedSlider& speed = window->speedSlider();
    const QRect area = speed.geometry().invalidate;
    const QPoint thumb(speed.geometry().origin + speed.value() + Slider::kThumbWidth / 2,
        Slider::kThumbY + Slider::kThumbHeight / 2);
    // Dragged a little, still within normal speed.
    press(thumb);
    moveTo(thumb + QPoint(5, 0));
    release(thumb + QPoint(5, 0));
    ASSERT_NE(speed.value(), SpeedSlider::kNormalPosition);
    ASSERT_EQ(speed.preset(), SpeedSlider::kNormalPreset);
    const QImage dragged = onScreen().copy(area);
    EXPECT_TRUE(screenShows(area));

    clickControl(1010);
    EXPECT_EQ(speed.value(), SpeedSlider::kNormalPosition);
    EXPECT_NE(onScreen().copy(area), dragged);
    EXPECT_TRUE(screenShows(area));
}

TEST_F(PlaybackTest, RecordingsFromTheCommandLineAndADropStartPlaying)
{
    window->openRecordings({shortCard()});
    EXPECT_EQ(window->playList().count(), 3);
    waitPlaying(0);

    const QString dropped = recordingsIn(minuteCard()).last();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &enter);
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &drop);
    waitPlaying(3);
    EXPECT_EQ(window->playList().currentPath().toStdString(), dropped.toStdString())
        << window->playList().entries().join(u' ').toStdString() << " current "
        << window->playList().current();
    EXPECT_EQ(window->playList().page(), 0);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST(PlaybackLockTest, ARecordingGivenToALockedViewerStartsOnceItOpens)
{
    ASSERT_FALSE(shortCard().isEmpty());
    platform::forceOnline(false);
    platform::RecordingMessageBox boxes;
    ASSERT_TRUE(platform::Registry::write(QLatin1String(viewer_config::kKey),
        QLatin1String(viewer_config::kValueName), "2?21?0?1?0042?0???128??1?0??1?0???"));
    CKOB_PCMgrDlg window;
    window.show();
    window.openRecordings({recordingsIn(shortCard()).first()});
    EXPECT_EQ(window.playList().count(), 1);
    EXPECT_FALSE(window.isPlaying()) << "nothing plays behind the lock";
    auto* entry = window.findChild<QLineEdit*>(QStringLiteral("1058"));
    QTest::keyClicks(entry, QStringLiteral("0042"));
    QTest::keyClick(entry, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isPlaying(); }, 5000));
    EXPECT_EQ(window.playList().current(), 0);
    platform::Registry::remove(
        QLatin1String(viewer_config::kKey), QLatin1String(viewer_config::kValueName));
}

} // namespace
