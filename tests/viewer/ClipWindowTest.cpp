// The clip from the main window: marks set with I and O across two recordings, the popup opened
// from the context menu, the folder chosen through the folder browser, and what the export
// leaves in that folder; Cancel, and the window closed mid-way, leave nothing.
#include "PlayingFixture.h"

#include "recording/PositionSentence.h"
#include "recording/RecordingName.h"
#include "resources/Strings.h"
#include "support/CardFile.h"
#include "viewer/ClipExportPopup.h"
#include "viewer/DriveSummaryPopup.h"
#include "viewer/EventMarkers.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

// Two continuing recordings of six seconds with telemetry.
QString pairCard()
{
    return demoCard(QStringLiteral("clip-pair"),
        {"--length", "6", "--drf", "2", "--evt", "0", "--muevt", "0", "--seed", "7"});
}

QStringList allIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

class ClipWindowTest : public PlaybackTest
{
protected:
    // Right click at a point of the window: the menu on show (one closed before may still
    // await deletion).
    QMenu* openMenu(QPoint point)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, window->mapToGlobal(point));
        QCoreApplication::sendEvent(window.get(), &event);
        QMenu* menu = nullptr;
        for (QMenu* candidate : window->findChildren<QMenu*>(QStringLiteral("clipMenu"))) {
            if (candidate->isVisible())
                menu = candidate;
        }
        return menu;
    }
    QStringList menuEntries()
    {
        QStringList entries;
        if (QMenu* menu = openMenu(CKOB_PCMgrDlg::kVideoArea.center())) {
            for (QAction* action : menu->actions())
                entries.append(action->text());
            menu->close();
        }
        return entries;
    }
    // Right click at a point of the window and choose the menu's entry.
    void choose(QPoint point, const QString& entry)
    {
        QMenu* menu = openMenu(point);
        ASSERT_NE(menu, nullptr) << "no menu at " << point.x() << "," << point.y();
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == entry)
                chosen = action;
        }
        ASSERT_NE(chosen, nullptr) << entry.toStdString();
        ASSERT_TRUE(chosen->isEnabled()) << entry.toStdString();
        menu->close();
        chosen->trigger();
        QCoreApplication::processEvents();
    }
    template <typename T> T* part(const char* name) const
    {
        return window->clipPopup()->findChild<T*>(QLatin1String(name));
    }
    void click(const char* button) { QTest::mouseClick(part<QPushButton>(button), Qt::LeftButton); }
    // The message the export's end shows.
    QString waitMessage(int ms = 60000)
    {
        if (!QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }, ms))
            return {};
        return boxes.texts.takeFirst();
    }
    QRgb bandPixel()
    {
        window->repaint();
        return window->backBuffer().pixel(60, 561);
    }
    // The column of the band's left edge (its opaque mark) on the track, -1 without a band.
    int bandLeft()
    {
        window->repaint();
        const QRgb edge = SeekBar::kBandColour.lighter(130).rgb();
        for (int x = SeekBar::kTrack.left(); x <= SeekBar::kTrack.right(); ++x) {
            if (window->backBuffer().pixel(x, 561) == edge)
                return x;
        }
        return -1;
    }
};

TEST_F(ClipWindowTest, MarksAcrossTwoRecordingsExportAClipThatPlaysWithItsTelemetry)
{
    const QString card = pairCard();
    ASSERT_FALSE(card.isEmpty());
    const QStringList files = recordingsIn(card);
    ASSERT_EQ(files.size(), 2);
    window->openRecordings(files);
    waitPlaying(0);
    const QDateTime first = *recording::recordingStart(files[0]);
    const QDateTime second = *recording::recordingStart(files[1]);

    waitSecond(2);
    const QRgb before = bandPixel();
    key(Qt::Key_Space); // held, so the thumb stays where the mark is set
    QTest::qWait(300);
    const int thumbMiddle = window->progress() + 36 + 33 / 2;
    key(Qt::Key_I);
    ASSERT_TRUE(window->clipMarks().start());
    const qint64 startSecond = first.secsTo(*window->clipMarks().start());
    EXPECT_GE(startSecond, 2);
    EXPECT_LE(startSecond, 3);
    // From the mark to the recording's end while no end is marked; second 0 is not in it.
    EXPECT_EQ(bandPixel(), before);
    // Two seconds on, the thumb has left the band's start: it lies where the thumb stood.
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_NEAR(bandLeft(), thumbMiddle, 1);
    key(Qt::Key_Space);

    // The list moves on into the next recording, where the end is marked.
    waitPlaying(1, 15000);
    waitSecond(2);
    key(Qt::Key_O);
    key(Qt::Key_Space); // held, so the thumb stays clear of the band's start
    ASSERT_TRUE(window->clipMarks().end());
    const qint64 endSecond = second.secsTo(*window->clipMarks().end());
    EXPECT_GE(endSecond, 2);
    EXPECT_LE(endSecond, 5);
    EXPECT_EQ(window->clipMarks().recordings(), (QStringList{files[0], files[1]}));
    // The band covers this recording from the track's start to the mark, over the fill.
    EXPECT_NE(bandPixel(), before);
    EXPECT_EQ(bandLeft(), SeekBar::kTrack.left());

    QTemporaryDir out;
    choose(CKOB_PCMgrDlg::kVideoArea.center(), strings::kClipSave);
    ClipExportPopup* popup = window->clipPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->span().from, *window->clipMarks().start());
    EXPECT_EQ(popup->span().to, *window->clipMarks().end());
    const qint64 seconds = popup->span().from.secsTo(popup->span().to);
    EXPECT_EQ(part<QLabel>("clipLength")->text(), ClipExportPopup::lengthText(seconds));
    EXPECT_EQ(popup->folder(), QFileInfo(files[0]).absolutePath())
        << "without folder 1 the recording's own";
    EXPECT_TRUE(part<QCheckBox>("clipSideFiles")->isChecked());
    EXPECT_FALSE(part<QCheckBox>("clipOverlay")->isChecked());
    part<QCheckBox>("clipOverlay")->setChecked(true);

    browser.answers = {out.path()};
    click("clipBrowse");
    EXPECT_EQ(popup->folder(), out.path());
    click("clipSave");
    const QString message = waitMessage();
    ASSERT_TRUE(message.startsWith(QStringLiteral("Фрагмент сохранён"))) << message.toStdString();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(part<QProgressBar>("clipProgress")->value(), part<QProgressBar>("clipProgress")->maximum());

    // The clip, its telemetry's GPX and CSV, the checksum list and the clip drawn with its
    // telemetry, each named in the message.
    const QString stem = QStringLiteral("clip_drf_") + popup->span().from.toString("yyyyMMdd_HHmmss");
    const QStringList expected{stem + ".csv", stem + ".gpx", stem + ".mp4", stem + ".mp4.sha256",
        stem + "_overlay.mp4"};
    ASSERT_EQ(allIn(out.path()), expected);
    for (const QString& name : expected)
        EXPECT_TRUE(message.contains(name)) << name.toStdString();
    const QString clipPath = QDir(out.path()).filePath(stem + ".mp4");
    const auto telemetry = cardfile::telemetry(cardfile::readAll(clipPath));
    ASSERT_TRUE(telemetry);
    EXPECT_EQ(telemetry->times.size(), seconds) << "a record per second of the span";
    QProcess check;
    check.setWorkingDirectory(out.path());
    check.start(QStringLiteral("sha256sum"), {QStringLiteral("-c"), stem + ".mp4.sha256"});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();

    // The viewer plays the clip, its telemetry in the panel and the graph.
    window->openRecordings({clipPath});
    const int row = int(window->playList().entries().indexOf(QDir::toNativeSeparators(clipPath)));
    ASSERT_GE(row, 0);
    waitPlaying(row);
    EXPECT_EQ(adapter()->lengthSeconds, seconds);
    waitSecond(2);
    EXPECT_EQ(adapter()->noTelemetry, 0);
    // The panel takes the player's record on its own timer.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return recording::hasPosition(window->telemetryPanel().record()); }, 3000));
    EXPECT_GT(window->graph().pointCount(), 1);
}

TEST_F(ClipWindowTest, AnEventRecordingOffersItsEventAndTheBandLeavesItsTicksInSight)
{
    ASSERT_FALSE(eventCard().isEmpty());
    play(kDrf);
    EXPECT_EQ(menuEntries(), (QStringList{strings::kClipMarkStart, strings::kClipMarkEnd, QString(),
                                 strings::kClipSave}))
        << "no event entry on a continuous recording, nothing to clear";

    // The start marked early in the event recording: the band runs over its events' ticks.
    play(kEvt);
    key(Qt::Key_I);
    key(Qt::Key_Space);
    window->repaint();
    ASSERT_TRUE(window->clipMarks().start());
    const int length = adapter()->lengthSeconds;
    const int marked = int(recording::recordingStart(cardFile(kEvt))->secsTo(*window->clipMarks().start()));
    const QRect band = SeekBar::bandRect(marked, length, length, false, true);
    const QRect thumb(window->progress() + 36, 554, 33, 20);
    int ticks = 0;
    for (int x : window->eventMarkers().positions(length)) {
        const int tick = EventMarkers::tickX(x);
        if (thumb.contains(tick, 563) || !band.contains(tick, 563))
            continue;
        ++ticks;
        // The camera's orange, beside an event found on the same second where there is one.
        const auto shown
            = [&](int column) { return QColor(window->backBuffer().pixel(column, 563)); };
        EXPECT_TRUE(shown(tick) == EventMarkers::kTickCore
            || shown(tick - EventMarkers::kTickAside) == EventMarkers::kTickCore)
            << "the tick at " << tick << " is hidden by the band";
    }
    EXPECT_GT(ticks, 0);

    // "Save the event": the event nearest the picture, 15 s either side, into the neighbours.
    const QList<clip::Span> spans = clip::eventSpans(cardFile(kEvt));
    ASSERT_FALSE(spans.isEmpty());
    EXPECT_EQ(menuEntries(), (QStringList{strings::kClipMarkStart, strings::kClipMarkEnd,
                                 QString(), strings::kClipSave, strings::kClipSaveEvent, QString(),
                                 strings::kClipClearMarks}));
    choose(CKOB_PCMgrDlg::kVideoArea.center(), strings::kClipSaveEvent);
    ASSERT_TRUE(window->clipPopup()->isVisible());
    const clip::Span offered = window->clipPopup()->span();
    EXPECT_TRUE(std::any_of(spans.begin(), spans.end(), [&](const clip::Span& span) {
        return span.from == offered.from && span.to == offered.to;
    }));
    EXPECT_LT(window->clipPopup()->span().from, *recording::recordingStart(cardFile(kEvt)))
        << "it reaches into the recording before";
    click("clipCancel");
}

TEST_F(ClipWindowTest, CancelAndClosingTheWindowLeaveNothingAndEscapeClearsTheMarks)
{
    const QString card = minuteCard();
    ASSERT_FALSE(card.isEmpty());
    const QStringList files = recordingsIn(card);
    window->openRecordings({files[0]});
    waitPlaying(0);
    waitSecond(1);
    key(Qt::Key_I);
    ASSERT_FALSE(window->clipMarks().isEmpty());

    // From the mark across both minutes: long enough that Cancel lands mid-way.
    QTemporaryDir out;
    choose(QPoint(200, 566), strings::kClipSave);
    ClipExportPopup* popup = window->clipPopup();
    ASSERT_TRUE(popup->isVisible());
    part<QDateTimeEdit>("clipTo")->setDateTime(popup->span().from.addSecs(110));
    EXPECT_EQ(part<QLabel>("clipLength")->text(), QStringLiteral("00:01:50"));
    browser.answers = {out.path()};
    click("clipBrowse");
    click("clipSave");
    EXPECT_TRUE(popup->isRunning());
    EXPECT_FALSE(part<QPushButton>("clipSave")->isEnabled());
    click("clipCancel");
    EXPECT_EQ(waitMessage(), QString(strings::kClipCancelled));
    EXPECT_TRUE(popup->isVisible()) << "for another try";
    EXPECT_TRUE(part<QPushButton>("clipSave")->isEnabled());
    EXPECT_EQ(allIn(out.path()), QStringList());

    // An end before the start is refused before anything starts.
    part<QDateTimeEdit>("clipTo")->setDateTime(popup->span().from.addSecs(-1));
    EXPECT_EQ(part<QLabel>("clipLength")->text(), QStringLiteral("—"));
    click("clipSave");
    EXPECT_EQ(waitMessage(1000), QString(strings::kClipEndBeforeStart));
    EXPECT_FALSE(popup->isRunning());
    click("clipCancel");
    EXPECT_FALSE(popup->isVisible());

    // While a popup is open, Escape is not for the marks: the drive summary's, here.
    key(Qt::Key_D);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->driveSummary() && window->driveSummary()->isVisible(); }, 8000));
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->clipMarks().isEmpty()) << "kept for the clip";
    window->driveSummary()->reject();

    // Escape lets go of the marks, and the band goes with them.
    key(Qt::Key_Escape);
    EXPECT_TRUE(window->clipMarks().isEmpty());
    EXPECT_TRUE(window->isVisible()) << "Escape never closes the window";

    // The window closed while a clip is written: the export stops and leaves nothing.
    choose(CKOB_PCMgrDlg::kVideoArea.center(), strings::kClipSave);
    EXPECT_EQ(popup->folder(), out.path()) << "the folder chosen before";
    part<QDateTimeEdit>("clipTo")->setDateTime(popup->span().from.addSecs(110));
    click("clipSave");
    ASSERT_TRUE(popup->isRunning());
    window->done(QDialog::Accepted);
    window.reset();
    EXPECT_EQ(allIn(out.path()), QStringList());
    EXPECT_EQ(allIn(card).size(), 2);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(" | ").toStdString();
}

} // namespace
