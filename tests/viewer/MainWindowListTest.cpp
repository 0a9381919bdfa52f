// The main window's controls, its play list through the file selector, its messages, closing,
// and painting: everything that needs no recording to play.
#include "PlaybackFixture.h"

#include "resources/BitmapButton.h"
#include "resources/Skin.h"
#include "viewer/ListScrollBar.h"
#include "viewer/PlayListPainter.h"

#include "files/InfoPopup.h"
#include "support/RecordingBuilder.h"
#include "usb/UsbToolPopup.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {

class MainWindowListTest : public ListTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        startWindow();
    }

    // The back buffer after the pending paints.
    QImage painted()
    {
        QTest::qWait(20);
        window->repaint();
        return window->backBuffer();
    }
};

struct Place
{
    int id;
    QRect geometry;
    int normal;
};

TEST_F(MainWindowListTest, EveryButtonOfTheTableSitsAtItsPlaceWithItsBitmap)
{
    const Place places[] = {{1001, {925, 1, 45, 25}, 143}, {1002, {970, 1, 45, 25}, 141},
        {1003, {810, 46, 34, 34}, 145}, {1004, {849, 46, 34, 34}, 149},
        {1005, {888, 46, 34, 34}, 275}, {1049, {927, 46, 34, 34}, 235},
        {1008, {740, 47, 35, 36}, 294}, {1006, {966, 46, 34, 34}, 157},
        {1007, {33, 596, 30, 30}, 160}, {1009, {93, 596, 30, 30}, 166},
        {1010, {153, 596, 30, 30}, 169}, {1011, {213, 596, 30, 30}, 172},
        {1012, {273, 596, 30, 30}, 175}, {1241, {879, 587, 105, 22}, 178},
        {1072, {799, 587, 74, 22}, 264}};
    for (const Place& place : places) {
        auto* button = control<BitmapButton>(place.id);
        ASSERT_NE(button, nullptr) << place.id;
        EXPECT_EQ(button->geometry(), place.geometry) << place.id;
        EXPECT_TRUE(button->isVisible()) << place.id;
        const QImage face = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage bitmap = skin::bitmap(place.normal).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(face.pixel(5, 5), bitmap.pixel(5, 5)) << place.id;
    }
    for (const Place& hidden : {Place{1081, {186, 503, 60, 20}, 0},
             Place{1082, {120, 503, 60, 20}, 0}, Place{1094, {34, 503, 80, 20}, 0}}) {
        ASSERT_NE(control(hidden.id), nullptr) << hidden.id;
        EXPECT_EQ(control(hidden.id)->geometry(), hidden.geometry) << hidden.id;
        EXPECT_FALSE(control(hidden.id)->isVisible()) << hidden.id;
    }
    EXPECT_EQ(window->panelTimerPeriod(), 1200);
}

TEST_F(MainWindowListTest, AnEmptyListPlaysNothing)
{
    for (int id : {1011, 1007, 1012, 1009, 1010})
        clickControl(id);
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, rowPoint(0));
    for (Qt::Key k : {Qt::Key_Space, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Right})
        key(k);
    QTest::qWait(150);
    EXPECT_FALSE(window->isPlaying());
    EXPECT_EQ(window->playList().current(), -1);
    EXPECT_TRUE(CommandLog::sent().empty());
    // No rows and no thumb: the list's column shows only the track and the arrows.
    const QImage shown = painted();
    EXPECT_EQ(QColor(shown.pixel(700, 645)), QColor(skin::bitmap(130).pixel(700, 645)));
    EXPECT_EQ(QColor(shown.pixel(992, 700)), PlayListPainter::kTrackColour);
}

TEST_F(MainWindowListTest, EightEntriesMakeTwoPagesWithTheThumbOfEachRule)
{
    addFolder(namesFolder(8));
    const PlayList& list = window->playList();
    ASSERT_EQ(list.count(), 8);
    EXPECT_EQ(list.pageCount(), 2);
    // Right after the update the thumb shares 98 pixels; the page change goes back to 96.
    EXPECT_EQ(list.thumbRect().height(), 49);
    clickAt({992, 756}); // down arrow
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.visibleRows(), 1);
    EXPECT_EQ(list.thumbRect().height(), 48);
    const QImage shown = painted();
    EXPECT_EQ(QColor(shown.pixel(992, 740)), PlayListPainter::kThumbColour);
    // Row 1 of the last page is empty, row 0 names the eighth recording.
    clickAt(rowPoint(1));
    EXPECT_EQ(list.selected(), 0);
    clickAt(rowPoint(0));
    EXPECT_EQ(list.selected(), 7);
    EXPECT_EQ(QColor(painted().pixel(690, 640)), PlayListPainter::kSelectionColour);
}

TEST_F(MainWindowListTest, FourteenEntriesFillTheLastPage)
{
    addFolder(namesFolder(14));
    const PlayList& list = window->playList();
    EXPECT_EQ(list.pageCount(), 2);
    clickAt({992, 730}); // the track under the thumb
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.visibleRows(), 7);
    clickAt(rowPoint(6));
    EXPECT_EQ(list.selected(), 13);
    clickAt({992, 640}); // up arrow
    EXPECT_EQ(list.page(), 0);
}

TEST_F(MainWindowListTest, SevenHundredEntriesScrollAndDragToTheirEnd)
{
    addFolder(namesFolder(700));
    const PlayList& list = window->playList();
    ASSERT_EQ(list.count(), 700);
    ASSERT_EQ(list.pageCount(), 100);
    for (int i = 0; i < 105; ++i)
        clickAt({992, 756});
    EXPECT_EQ(list.page(), 99);
    EXPECT_GE(list.thumbRect().height(), ListScrollBar::kMinThumb);
    EXPECT_LE(list.thumbRect().bottom(), ListScrollBar::kTrackBottom);
    clickAt(rowPoint(6));
    EXPECT_EQ(list.selected(), 699);

    // Dragged up to the track's top and back down to its end.
    QPoint grip = list.thumbRect().center();
    press(grip);
    for (int y = grip.y(); y >= 640; y -= 4)
        moveTo({992, std::max(y, 653)});
    release({992, 653});
    EXPECT_EQ(list.page(), 0);
    grip = list.thumbRect().center();
    press(grip);
    for (int y = grip.y(); y <= 760; y += 4)
        moveTo({992, std::min(y, 747)});
    release({992, 747});
    EXPECT_EQ(list.page(), 99);
    EXPECT_EQ(list.visibleRows(), 7);
}

TEST_F(MainWindowListTest, TheThumbFollowsSmallMouseStepsWhateverTheNumberOfPages)
{
    const PlayList& list = window->playList();
    for (const int entries : {8, 35, 84}) {
        clickControl(1072);
        addFolder(namesFolder(entries));
        const int pages = (entries + 6) / 7;
        ASSERT_EQ(list.pageCount(), pages);
        // A pixel at a time, the window painting between the mouse's steps as it does on screen.
        const auto drag = [&](int from, int to) {
            press({992, from});
            const int step = to > from ? 1 : -1;
            for (int y = from + step; y != to + step; y += step) {
                moveTo({992, y});
                window->repaint();
            }
            release({992, to});
        };
        drag(list.thumbRect().center().y(), 747);
        EXPECT_EQ(list.page(), pages - 1) << pages << " pages, dragged down";
        EXPECT_EQ(list.thumbRect().bottom(), ListScrollBar::kTrackBottom - 1) << pages;
        drag(list.thumbRect().center().y(), 653);
        EXPECT_EQ(list.page(), 0) << pages << " pages, dragged up";
        EXPECT_EQ(list.thumbRect().top(), ListScrollBar::kTrackTop) << pages;
        // Halfway: the page of the thumb's top, where the thumb settles when let go.
        const QRect before = list.thumbRect();
        drag(before.center().y(), 700);
        const int top = before.top() + 700 - before.center().y();
        EXPECT_EQ(list.page(), (top - ListScrollBar::kTrackTop) / (ListScrollBar::kTrackLength / pages))
            << pages << " pages, halfway";
        EXPECT_TRUE(screenShows(ListScrollBar::kColumn)) << pages;
    }
}

TEST_F(MainWindowListTest, EveryChangeReachesTheScreen)
{
    addFolder(namesFolder(3));
    const QRect title = PlayListPainter::kTitleRect;
    const QImage noTitle = onScreen().copy(title);
    // An empty recording opened: its name in the title, and a message.
    clickAt(rowPoint(1));
    clickControl(1011);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_NE(onScreen().copy(title), noTitle) << "the name is shown";
    EXPECT_TRUE(screenShows(title));

    // Clear list: the name leaves the screen, not only the back buffer.
    clickControl(1072);
    EXPECT_EQ(onScreen().copy(title), noTitle);
    EXPECT_TRUE(screenShows(title));
    EXPECT_TRUE(screenShows(PlayList::kListRect));
}

TEST_F(MainWindowListTest, AddingTheSameRecordingsAgainKeepsOneEntryEach)
{
    const QString folder = namesFolder(5);
    addFolder(folder);
    addFolder(folder);
    EXPECT_EQ(window->playList().count(), 5);
    addFolder(namesFolder(3));
    EXPECT_EQ(window->playList().count(), 8);
}

TEST_F(MainWindowListTest, AnIdleWindowPaintsNothing)
{
    addFolder(namesFolder(9));
    clickAt(rowPoint(3));
    // The first tick off line puts the no-internet text up: a change, painted once.
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return window->telemetryPanel().noInternetShown(); }, 3000));
    // The folder is a card the (empty) archive lacks: the title's offer to keep it, a change.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->archiveOffer().isEmpty(); }, 10000));
    QTest::qWait(200);
    PaintCounter counter;
    window->installEventFilter(&counter);
    // Over a second and a half, so a tick of the panel timer falls into it.
    QTest::qWait(1500);
    EXPECT_EQ(counter.paints, 0);
    // A change is painted once, however many rectangles it marked.
    clickAt(rowPoint(4));
    QTest::qWait(200);
    EXPECT_EQ(counter.paints, 1);
    window->removeEventFilter(&counter);
}

TEST_F(MainWindowListTest, LibraryMessagesPlaceTheVideoAndSlowThePanelTimer)
{
    PVEXAdap* adapter = window->adapter();
    adapter->placeFlag1 = 1;
    adapter->placeFlag2 = 1;
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_PLACE_VIDEO, 1), 0);
    EXPECT_EQ(adapter->placeFlag1, 0);
    EXPECT_EQ(adapter->placeFlag2, 1);
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_PLACE_VIDEO, 2), 0);
    EXPECT_EQ(adapter->placeFlag2, 0);
    EXPECT_EQ(adapter->placementA[4], 684);
    EXPECT_EQ(adapter->placementA[5], 122);

    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_PANEL_TIMER_SLOW), 0);
    EXPECT_EQ(window->panelTimerPeriod(), 1500);

    clickControl(1241);
    ASSERT_TRUE(window->filesPopup()->isVisible());
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_HIDE_POPUP, 1, 1), 0);
    EXPECT_FALSE(window->filesPopup()->isVisible());
    EXPECT_EQ(window->filesPopup()->shownState(), 0);
}

TEST_F(MainWindowListTest, PopupsOpenFromTheirButtonsOnceAndWhereTheWindowIsNow)
{
    window->move(50, 40);
    clickControl(1049);
    InfoPopup* info = window->infoPopup();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->pos(), InfoPopup::placement(window->frameGeometry()));
    info->SetVisible(0);
    clickControl(1049);
    EXPECT_EQ(window->infoPopup(), info) << "made once, then shown again";

    clickControl(1008);
    ASSERT_NE(window->usbTool(), nullptr);
    EXPECT_TRUE(window->usbTool()->isVisible());

    clickControl(1241);
    EXPECT_EQ(window->filesPopup()->pos(), FilesOpenPopup::placement(window->frameGeometry()));
}

// The program runs the main window modally: a popup it does not own would be blocked by it,
// shown but deaf to every click. The clicks go through the windows, as the system's do.
TEST_F(MainWindowListTest, PopupsTakeClicksWhileTheWindowRunsModally)
{
    window->hide();
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const auto clickThroughWindow = [](QWidget* button) {
        ASSERT_NE(button, nullptr);
        QWidget* popup = button->window();
        QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {},
            button->mapTo(popup, button->rect().center()));
    };

    clickControl(1008);
    UsbToolPopup* tool = window->usbTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tool));
    clickThroughWindow(
        tool->findChild<QAbstractButton*>(QString::number(UsbToolPopup::kCancelId)));
    EXPECT_FALSE(tool->isVisible());

    clickControl(1241);
    FilesOpenPopup* files = window->filesPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(files));
    clickThroughWindow(files->findChild<QAbstractButton*>(QStringLiteral("2")));
    EXPECT_FALSE(files->isVisible());
}

TEST_F(MainWindowListTest, TheWindowManagersCloseGoesThroughTheCloseGuard)
{
    QSignalSpy finished(window.get(), &QDialog::finished);
    for (int mode : {SettingPopup::Capture, SettingPopup::FileSaving, SettingPopup::ViewSettings}) {
        popup()->setMode(mode);
        window->windowHandle()->close();
        window->close();
        clickControl(1002);
        EXPECT_EQ(finished.count(), 0) << mode;
        EXPECT_TRUE(window->isVisible()) << mode;
    }
    popup()->setMode(SettingPopup::NotInUse);
    clickControl(1241);
    window->windowHandle()->close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->filesPopup()->isVisible()) << "the file selector closes with it";
    EXPECT_EQ(window->panelTimerPeriod(), 0) << "timer 100 stopped";
}

TEST_F(MainWindowListTest, RecordingsFromOutsideJoinTheListAndWhatIsNoneIsNamed)
{
    const QString folder = namesFolder(3);
    QFile other(QDir(folder).filePath(QStringLiteral("holiday.mp4")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    // Not started here: the window is locked in none of these, but the recordings are empty,
    // so the first one is named as unopenable.
    window->openRecordings({folder, other.fileName(), QStringLiteral("/no/such/drf_1.mp4")});
    EXPECT_EQ(window->playList().count(), 3);
    ASSERT_GE(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("holiday.mp4")));
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("/no/such/drf_1.mp4")));
    EXPECT_FALSE(boxes.texts[0].contains(QStringLiteral("drf_20240101")));
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_TRUE(boxes.texts[1].contains(QStringLiteral("drf_20240101_100000.mp4")));
    EXPECT_TRUE(boxes.texts[1].contains(QStringLiteral("Файл пуст.")));
    EXPECT_FALSE(window->isPlaying());
    EXPECT_EQ(window->playList().selected(), 0);
}

TEST_F(MainWindowListTest, FilesDroppedOnTheWindowJoinTheList)
{
    const QString folder = namesFolder(2);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(500, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->playList().count() == 2; }, 2000));
}

} // namespace

namespace {

// A card as drivers leave it, given whole: the list holds the camera's recordings in the order
// they were recorded, whatever their kind, with the recovered copy in place of the recording
// the power cut; not the clip, its drawn version, the copy or the unfinished write beside them.
TEST_F(MainWindowListTest, ACardGivenWholeListsItsRecordingsAsTheyWereRecorded)
{
    QTemporaryDir card;
    const QDir dir(card.path());
    const QByteArray intact = testsupport::RecordingBuilder()
                                  .ftyp()
                                  .mdat(64)
                                  .raw(testsupport::box("moov", {}))
                                  .bytes();
    const QByteArray cut = testsupport::RecordingBuilder().ftyp().mdat(64).bytes();
    for (const char* name : {"drf_20250614_142337.mp4", "evt_20250614_142437.mp4",
             "muevt_20250614_142537.mp4", "drf_20250614_142637_recovered.mp4",
             "evt_20250614_142737.mp4", "clip_evt_20250614_142440.mp4",
             "clip_evt_20250614_142440_overlay.mp4", "copy_drf_20250614_142337.mp4",
             ".clip_evt_20250614_142440.mp4.1.part"})
        ASSERT_TRUE(testsupport::RecordingBuilder().raw(intact).writeTo(dir.filePath(name)));
    ASSERT_TRUE(
        testsupport::RecordingBuilder().raw(cut).writeTo(dir.filePath("drf_20250614_142637.mp4")));

    window->openRecordings({card.path()});
    QStringList names;
    for (const QString& entry : window->playList().entries())
        names << QFileInfo(entry).fileName();
    EXPECT_EQ(names,
        QStringList({"drf_20250614_142337.mp4", "evt_20250614_142437.mp4",
            "muevt_20250614_142537.mp4", "drf_20250614_142637_recovered.mp4",
            "evt_20250614_142737.mp4"}));
}

} // namespace
