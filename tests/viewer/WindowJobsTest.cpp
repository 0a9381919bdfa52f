// The main window's telemetry and its frame jobs with the real player library: the panel, the
// graph and the event markers following a recording (and showing nothing of it for one without
// telemetry), printing, capturing and copying the open recording from the window's buttons.
#include "PlayingFixture.h"

#include "recording/PositionSentence.h"
#include "resources/Skin.h"
#include "settings/FrameCapture.h"
#include "viewer/EventMarkers.h"
#include "viewer/PrintDialog.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QWindow>

#include <cstdio>

namespace {

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(
        QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

QImage pdfPicture(const QString& pdf, const QString& stem)
{
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), pdf, stem});
    process.waitForFinished(60000);
    const QImage page(stem + QStringLiteral(".png"));
    // Kept for a look when pictures are asked for.
    if (const QString shots = qEnvironmentVariable("ZYN_SCREENSHOT_DIR"); !shots.isEmpty())
        page.save(QDir(shots).filePath(QStringLiteral("printed-from-window-")
            + QFileInfo(stem).fileName() + QStringLiteral(".png")));
    return page;
}

// Pixels visibly darker than the paper in the middle ninth of a printed page, where the frame
// lies; -1 without a page. (A blank frame comes back from the PDF a shade off white.)
int inkInTheMiddle(const QImage& page)
{
    if (page.isNull())
        return -1;
    int count = 0;
    for (int y = page.height() / 3; y < page.height() * 2 / 3; ++y)
        for (int x = page.width() / 3; x < page.width() * 2 / 3; ++x)
            count += QColor(page.pixel(x, y)).lightness() < 240;
    return count;
}

class WindowJobsTest : public PlaybackTest
{
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        ASSERT_FALSE(eventCard().isEmpty()) << "zyn-cardgen could not write the demo card";
    }

    QImage area(const QRect& rect) const { return window->backBuffer().copy(rect); }
    QImage cleanArea(const QRect& rect) const
    {
        return skin::bitmap(130).convertToFormat(window->backBuffer().format()).copy(rect);
    }
    int paintsOver(int ms)
    {
        PaintCounter counter;
        window->installEventFilter(&counter);
        QTest::qWait(ms);
        window->removeEventFilter(&counter);
        return counter.paints;
    }

    QTemporaryDir folder;
};

TEST_F(WindowJobsTest, TelemetryFollowsTheRecordingAndOneWithoutItShowsNoneOfTheOneBefore)
{
    play(kEvt, 4);
    window->repaint();
    const TelemetryPanel& panel = window->telemetryPanel();
    EXPECT_EQ(QByteArray(panel.record().statusText), "A");
    EXPECT_NE(area(TelemetryPanel::kPositionArea), cleanArea(TelemetryPanel::kPositionArea))
        << "the position lines";
    EXPECT_NE(area(TelemetryPanel::kDigitsArea), cleanArea(TelemetryPanel::kDigitsArea));
    EXPECT_NE(area(GSensorGraph::kArea), cleanArea(GSensorGraph::kArea)) << "the graph";
    EXPECT_GT(window->graph().pointCount(), 1);

    // The event markers above the strip and their ticks through the seek bar.
    ASSERT_TRUE(window->eventMarkers().loaded());
    const std::vector<int> marks = window->eventMarkers().positions(adapter()->lengthSeconds);
    ASSERT_FALSE(marks.empty());
    const QImage marker
        = skin::bitmap(EventMarkers::kMarkerBitmap).convertToFormat(window->backBuffer().format());
    for (int x : marks) {
        EXPECT_EQ(area(QRect(x, 466, 19, 19)), marker) << "marker at " << x;
        const int tick = EventMarkers::tickX(x);
        EXPECT_NE(
            window->backBuffer().pixel(tick, 563), cleanArea(QRect(tick, 563, 1, 1)).pixel(0, 0))
            << "tick at " << tick;
    }

    // The markers lie under the player's picture: the back buffer shows them.
    if (const QString shots = qEnvironmentVariable("ZYN_SCREENSHOT_DIR"); !shots.isEmpty())
        window->backBuffer().save(QDir(shots).filePath(QStringLiteral("window-back-buffer.png")));

    // A held picture with nothing new to show costs no screen update.
    clickControl(1009);
    ASSERT_TRUE(window->isPaused());
    // The next tick still draws what the last report brought; the ones after it have nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.noInternetShown(); }, 3000));
    QTest::qWait(CKOB_PCMgrDlg::kPanelPeriodMs + 200);
    EXPECT_EQ(paintsOver(1500), 0);

    // A recording without telemetry: nothing of the one before stays (its position lines, its
    // record, its speed), and no sample is drawn.
    play(kPlain, 3);
    ASSERT_EQ(adapter()->noTelemetry, 1);
    window->repaint();
    EXPECT_EQ(area(TelemetryPanel::kPositionArea), cleanArea(TelemetryPanel::kPositionArea));
    EXPECT_FALSE(recording::hasPosition(panel.record()));
    EXPECT_EQ(panel.record().speed, 0);
    EXPECT_EQ(area(GSensorGraph::kArea), cleanArea(GSensorGraph::kArea))
        << "opening cleared the graph, and nothing was drawn since";
    // No markers of the event recording are left in the video area, nor ticks on the bar.
    EXPECT_FALSE(window->eventMarkers().loaded());
    for (int x : marks) {
        EXPECT_EQ(area(QRect(x, 466, 19, 19)), cleanArea(QRect(x, 466, 19, 19)));
        const int tick = EventMarkers::tickX(x);
        EXPECT_NE(area(QRect(tick, 563, 1, 1)).pixelColor(0, 0), QColor(0xCD, 0x4E, 0x14));
    }
}

TEST_F(WindowJobsTest, CopiesOfEachKindAndTheSoundComesBack)
{
    ASSERT_TRUE(folder.isValid());
    play(kDrf);
    // A quieter level than the start's, to see it come back.
    clickAt({900, 560});
    const int slider = window->volumeSlider().value();
    const int level = window->volumeSlider().level();
    ASSERT_LT(slider, VolumeSlider::kMaximum);

    // Without folder 1 the popup asks for one, and the window would not copy either.
    clickControl(1005);
    EXPECT_FALSE(window->isPlaying()) << "saving stops playback";
    ASSERT_TRUE(popup()->isVisible());
    ASSERT_EQ(popup()->getMode(), SettingPopup::FileSaving);
    clickPopupButton(1047);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_COPY_RECORDINGS), 1);
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts[1], QStringLiteral("Сначала выберите папку для сохранения видео."));
    EXPECT_FALSE(window->isCopying());
    EXPECT_EQ(window->volumeSlider().value(), slider);
    clickPopupButton(1045);
    boxes.texts.clear();

    for (const QString& name : {kDrf, kEvt, kMuevt}) {
        SCOPED_TRACE(name.toStdString());
        play(name);
        const int listed = window->playList().count();
        clickControl(1005);
        ASSERT_EQ(popup()->getMode(), SettingPopup::FileSaving);
        if (popup()->folders().folders[1].isEmpty()) {
            browser.answers = {folder.path()};
            clickPopupButton(1046);
        }
        CommandLog::clear();
        clickPopupButton(1047);
        ASSERT_TRUE(window->isCopying());
        EXPECT_FALSE(popup()->isVisible());
        EXPECT_EQ(window->volumeSlider().value(), 0) << "muted while it copies";
        EXPECT_EQ(adapter()->volume, 0);
        // Meanwhile the window starts nothing and does not close.
        for (int id : {1011, 1012, 1007, 1004, 1003, 1005, 1006, 1072, 1002})
            clickControl(id);
        window->windowHandle()->close();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isPlaying());
        EXPECT_FALSE(popup()->isVisible());
        EXPECT_EQ(window->playList().count(), listed) << "Clear list refused";
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QGuiApplication::overrideCursor()
                    && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            },
            3000))
            << "the wait cursor while it copies";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isCopying(); }, 10000));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_EQ(boxes.texts.takeFirst(), QStringLiteral("Законченные сбережениа видео."));
        EXPECT_EQ(window->volumeSlider().value(), slider);
        EXPECT_EQ(adapter()->volume, level);
        EXPECT_EQ(loadsSent(), 0);

        QFile copy(folder.filePath(QStringLiteral("copy_") + name));
        QFile original(cardFile(name));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << copy.fileName().toStdString();
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_TRUE(copy.readAll() == original.readAll());
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3) << "no temporary file left";

    // The next recording is heard at the level the copy gave back.
    CommandLog::clear();
    play(kDrf);
    EXPECT_EQ(CommandLog::last("volume"), "volume " + std::to_string(level) + " 2");
}

TEST_F(WindowJobsTest, PrintsBeforeTheFirstFrameAndWhilePlaying)
{
    ASSERT_TRUE(folder.isValid());
    const QString early = folder.filePath(QStringLiteral("early.pdf"));
    const QString playing = folder.filePath(QStringLiteral("playing.pdf"));
    printing::PdfPrintDialog dialog(early);
    dialog.margins = QMarginsF(10, 10, 10, 10);

    clickControl(1003);
    EXPECT_EQ(dialog.calls, 0) << "nothing plays: nothing to print";

    window->openRecordings({cardFile(kEvt)});
    ASSERT_TRUE(window->isPlaying());
    ASSERT_EQ(adapter()->frame1.load(), nullptr);
    clickControl(1003);
    ASSERT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.presetDocName, QStringLiteral("KOB"));
    EXPECT_EQ(dialog.presetOrientation, QPageLayout::Landscape);
    EXPECT_EQ(dialog.presetPageSize.id(), QPageSize::A4);
    EXPECT_TRUE(pdfText(early).startsWith(QStringLiteral("Дата и время: ----/--/-- --:--:--")))
        << pdfText(early).toStdString();
    EXPECT_EQ(inkInTheMiddle(pdfPicture(early, folder.filePath(QStringLiteral("early")))), 0)
        << "a blank frame";

    waitPlaying(0);
    waitSecond(3);
    dialog.outputFile = playing;
    clickControl(1003);
    ASSERT_EQ(dialog.calls, 2);
    const QString text = pdfText(playing);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Дата и время: 2025/06/14"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Положение Широта: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("GSensor X: "))) << text.toStdString();
    const QImage page = pdfPicture(playing, folder.filePath(QStringLiteral("playing")));
    EXPECT_GT(inkInTheMiddle(page), page.width() * page.height() / 20)
        << "the frame is on the page";
    EXPECT_TRUE(window->isPlaying()) << "printing leaves playback alone";
}

TEST_F(WindowJobsTest, ThirtyFramesCapturedFromTheWindowThenPlaybackGoesOnASecondBack)
{
    ASSERT_TRUE(folder.isValid());
    // Thirty frames need thirty records ahead: a recording of a minute.
    addFolder(minuteCard());
    playRow(0);
    waitSecond(5);
    // The window takes the second it shows when pressed, between these two reads.
    const int earliest = adapter()->positionSeconds;
    clickControl(1004);
    const int latest = adapter()->positionSeconds;
    EXPECT_TRUE(window->isPaused()) << "the capture starts from a held picture";
    ASSERT_TRUE(popup()->isVisible());
    ASSERT_EQ(popup()->getMode(), SettingPopup::Capture);
    browser.answers = {folder.path()};
    clickPopupButton(1046);
    clickPopup(30, 158);
    ASSERT_TRUE(popup()->thirtyFrames());
    clickPopupButton(1047);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !popup()->captureRunning(); }, 30000));
    EXPECT_EQ(popup()->capture().captureCount, 30);
    // During the run the transport is the popup's.
    CommandLog::clear();
    clickControl(1011);
    clickControl(1010);
    EXPECT_TRUE(CommandLog::sent().empty());

    clickPopupButton(1045);
    EXPECT_FALSE(popup()->isVisible());
    const std::string seek = CommandLog::last("seek");
    int target = -1;
    ASSERT_EQ(std::sscanf(seek.c_str(), "seek %d.00 2", &target), 1) << seek;
    EXPECT_GE(target, earliest);
    EXPECT_LE(target, latest);
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(moving()) << "playback goes on from a second before the capture";
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 30);
}

} // namespace
