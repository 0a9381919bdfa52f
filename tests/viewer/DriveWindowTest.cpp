// A drive's incidents in the main window with the real player: N and Shift+N between the drive's
// events across its recordings, where each jump lands, and the drive summary beside the video
// with the event that plays marked. Real time, so the program runs alone.
#include "PlayingFixture.h"

#include "map/MapWindow.h"
#include "recording/EventIndex.h"
#include "resources/Strings.h"
#include "viewer/DriveSummaryPopup.h"
#include "viewer/EventMarkers.h"

#include <QHelpEvent>
#include <QToolTip>

#include <atomic>
#include <map>
#include <thread>

namespace {

// One drive of three ten-second recordings, hard braking at its 6th, 18th and 28th second:
// the first recording's 6th, the second's and the third's 8th. A jump to the last two lands
// three seconds into their recordings.
QString incidentsCard()
{
    return demoCard(QStringLiteral("incidents"),
        {"--length", "10", "--drf", "3", "--evt", "0", "--muevt", "0", "--brake-at", "6,18,28",
            "--seed", "4"});
}

// The other core kept busy while it lives, as on a machine doing something else.
class BusyCore
{
public:
    BusyCore()
        : m_thread([this] {
            while (!m_stop.load(std::memory_order_relaxed)) { }
        })
    { }
    ~BusyCore()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class DriveWindowTest : public PlaybackTest
{
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        m_files = recordingsIn(incidentsCard());
        ASSERT_EQ(m_files.size(), 3);
    }

    // Opens the recording and waits until the drive is read: its braking ticked on the bar.
    void playWithDrive(int file, int brakeSecond)
    {
        window->openRecordings({m_files[file]});
        waitPlaying(int(window->playList().entries().indexOf(m_files[file])));
        const int tick = EventMarkers::tickX(
            brakeSecond * recording::kScaleWidth / 10 + recording::kScaleLeft);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                window->repaint();
                return QColor(window->backBuffer().pixel(tick, EventMarkers::kTickTop + 2))
                    == EventMarkers::kFoundTickCore;
            },
            8000));
    }

    // Presses the key and returns where the jump landed in `file`: the first position past the
    // recording's first second that the player reports once it has the recording handed over
    // by the jump. A seek lost while the recording opened plays it from its start instead.
    double jump(Qt::KeyboardModifiers modifiers, int file)
    {
        const int loads = loadsSent();
        key(Qt::Key_N, modifiers);
        double landed = -1;
        const bool came = QTest::qWaitFor(
            [&] {
                if (window->playList().currentPath() != m_files[file] || loadsSent() == loads
                    || !playerPlaying())
                    return false;
                landed = adapter()->position;
                return landed >= 0.9;
            },
            8000);
        return came ? landed : -1;
    }

    QStringList m_files;
};

TEST_F(DriveWindowTest, JumpsLandFiveSecondsBeforeTheirEventsAcrossRecordingsUnderLoad)
{
    playWithDrive(1, 8);
    CommandLog::clear();
    key(Qt::Key_N);
    EXPECT_EQ(CommandLog::last("seek"), "seek 3.00 2") << "five seconds before, in the same one";
    QTest::qWait(300);

    const BusyCore busy;
    for (int round = 0; round < 3; ++round) {
        const double there = jump({}, 2);
        EXPECT_NEAR(there, 3.0, 1.0) << "N into the third recording, round " << round;
        EXPECT_EQ(window->playList().currentPath(), m_files[2]) << "it joined the list";
        // Watched for more than two seconds: Shift+N still goes to the event before.
        QTest::qWait(2200);
        const double back = jump(Qt::ShiftModifier, 1);
        EXPECT_NEAR(back, 3.0, 1.0) << "Shift+N into the second recording, round " << round;
    }
}

TEST_F(DriveWindowTest, ShiftNAgainAndAgainReachesEverEarlierEvents)
{
    playWithDrive(2, 8);
    key(Qt::Key_N);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CommandLog::last("seek") == "seek 3.00 2"; }, 5000));
    // Each time watched for a while before going back.
    QTest::qWait(2500);
    CommandLog::clear();
    key(Qt::Key_N, Qt::ShiftModifier);
    waitPlaying(int(window->playList().entries().indexOf(m_files[1])));
    ASSERT_TRUE(QTest::qWaitFor([&] { return CommandLog::last("seek") == "seek 3.00 2"; }, 5000));
    QTest::qWait(2500);
    key(Qt::Key_N, Qt::ShiftModifier);
    waitPlaying(int(window->playList().entries().indexOf(m_files[0])));
    ASSERT_TRUE(QTest::qWaitFor([&] { return CommandLog::last("seek") == "seek 1.00 2"; }, 5000))
        << "the first braking, a second into the drive";
}

TEST_F(DriveWindowTest, TheSummaryPlaysAnEventBesideTheVideoAndMarksWhatPlays)
{
    const QString card = incidentsCard();
    addFolder(card);
    // Asked for before the folder is read: the popup comes once it is.
    window->move(window->pos() + QPoint(37, 23));
    key(Qt::Key_D);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->driveSummary() && window->driveSummary()->isVisible(); }, 8000));
    DriveSummaryPopup* summary = window->driveSummary();
    EXPECT_TRUE(window->geometry().contains(summary->geometry()))
        << "placed over the window where it stands now";
    EXPECT_FALSE(summary->isBeside());

    std::map<QString, QString> figures;
    for (const auto& [label, value] : summary->figures())
        figures[label] = value;
    EXPECT_EQ(figures[strings::kDriveRecordings], QStringLiteral("3"));
    EXPECT_EQ(figures[strings::kDriveDuration], QStringLiteral("0:30"));
    EXPECT_EQ(figures[strings::kDriveStart].right(8),
        QFileInfo(m_files[0]).completeBaseName().right(6).insert(4, u':').insert(2, u':'));
    EXPECT_TRUE(figures[strings::kDriveMaxSpeed].endsWith(QString(strings::kUnitKmh)));
    const QStringList lines = summary->eventLines();
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[1].contains(QString(strings::kEventBraking)));
    EXPECT_TRUE(
        lines[1].contains(QFileInfo(m_files[1]).completeBaseName() + QStringLiteral(", 0:08")))
        << lines[1].toStdString();
    EXPECT_TRUE(
        lines[2].contains(QFileInfo(m_files[2]).completeBaseName() + QStringLiteral(", 0:08")));
    EXPECT_EQ(summary->playingEvent(), -1) << "nothing plays yet";

    // A click on the third event opens the third recording five seconds before it, and the
    // summary steps off the video and the seek bar to the map's place, its row marked.
    CommandLog::clear();
    summary->chooseEvent(2);
    waitPlaying(2);
    EXPECT_EQ(window->playList().currentPath(), m_files[2]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CommandLog::last("seek") == "seek 3.00 2"; }, 5000));
    EXPECT_TRUE(summary->isVisible()) << "the list stays for the next event";
    EXPECT_TRUE(summary->isBeside());
    const QRect video = CKOB_PCMgrDlg::kVideoArea.translated(window->geometry().topLeft());
    const QRect bar = SeekBar::kBarRect.translated(window->geometry().topLeft());
    EXPECT_FALSE(summary->geometry().intersects(video));
    EXPECT_FALSE(summary->geometry().intersects(bar));
    EXPECT_TRUE(window->geometry().contains(summary->geometry()));
    EXPECT_EQ(summary->playingEvent(), 2);

    // Shift+N, pressed while the summary has the keyboard after the click: the event before,
    // and the summary's mark goes with it.
    QTest::keyClick(summary, Qt::Key_N, Qt::ShiftModifier);
    waitPlaying(1);
    EXPECT_EQ(summary->playingEvent(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CommandLog::last("seek") == "seek 3.00 2"; }, 5000));
    // D brings the summary back over the video, for reading.
    key(Qt::Key_D);
    EXPECT_FALSE(summary->isBeside());

    EXPECT_GT(window->map()->driveRoute().size(), window->map()->route().size())
        << "the whole drive's route under the recording's";
    QHelpEvent hover(QEvent::ToolTip, rowPoint(0), window->mapToGlobal(rowPoint(0)));
    QCoreApplication::sendEvent(window.get(), &hover);
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("записей: 3")))
        << QToolTip::text().toStdString();
}

} // namespace
