#include "drive/DriveAnalysis.h"

#include "DriveFixtures.h"
#include "DriveSimulator.h"
#include "recording/EventIndex.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>

using namespace drive;
using namespace drivefixtures;

namespace {

// The camera's clock runs three hours ahead of UTC, as the demo card's does.
const QDateTime kLocalStart(QDate(2025, 6, 14), QTime(14, 0, 0), QTimeZone(3 * 3600));

QList<DriveSecond> simulate(int seconds, QSet<int> brakes, QSet<int> impacts, QSet<int> turns)
{
    DriveSimulator::Plan plan;
    plan.startUtc = kLocalStart.toUTC();
    plan.seconds = seconds;
    plan.hardBrakes = brakes;
    plan.impacts = impacts;
    plan.sharpTurns = turns;
    plan.noFixFrom = 40; // a bridge: the fix is lost for five seconds
    plan.noFixLength = 5;
    plan.seed = 7;
    return DriveSimulator::simulate(plan);
}

struct Found
{
    EventKind kind;
    int recording;
    int second;
    bool operator==(const Found&) const = default;
};

std::vector<Found> found(const DriveSummary& drive, bool withCamera = false)
{
    std::vector<Found> out;
    for (const DriveEvent& e : drive.events) {
        if (withCamera || e.kind != EventKind::Camera)
            out.push_back({e.kind, e.recording, e.second});
    }
    return out;
}

std::ostream& operator<<(std::ostream& os, const Found& f)
{
    return os << eventKindName(f.kind).toStdString() << '@' << f.recording << ':' << f.second;
}

// Three minutes in three recordings of the three kinds, with incidents at known seconds: hard
// braking at 30 and at 119 (its loss of speed runs into the next recording), a kerb strike at
// 75 and a swerve at 150; the camera marked drive second 62 in its event recording.
class KnownDrive : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_drive = simulate(240, {30, 119}, {75}, {150});
        m_paths << writeRecording(m_dir.path(), "drf_", kLocalStart, m_drive, 0, 60)
                << writeRecording(m_dir.path(), "evt_", kLocalStart, m_drive, 60, 60, {2})
                << writeRecording(m_dir.path(), "muevt_", kLocalStart, m_drive, 120, 60);
    }

    DriveSummary analyseOne(const DetectionThresholds& thresholds = {})
    {
        const Analysis a = analyseRecordings({m_dir.path()}, thresholds);
        EXPECT_TRUE(a.problems.empty());
        EXPECT_EQ(a.drives.size(), 1u);
        return a.drives.empty() ? DriveSummary() : a.drives.front();
    }

    QTemporaryDir m_dir;
    QList<DriveSecond> m_drive;
    QStringList m_paths;
};

} // namespace

TEST_F(KnownDrive, IncidentsAreFoundAtTheirSecondsAndNothingElse)
{
    const DriveSummary drive = analyseOne();
    const std::vector<Found> expected{{EventKind::Braking, 0, 30}, {EventKind::Camera, 1, 2},
        {EventKind::Impact, 1, 15}, {EventKind::Braking, 1, 59}, {EventKind::Turn, 2, 30}};
    EXPECT_EQ(found(drive, true), expected);
    ASSERT_EQ(drive.events.size(), expected.size());
    EXPECT_EQ(drive.events[1].time, QDateTime(QDate(2025, 6, 14), QTime(14, 1, 2), Qt::UTC));
    EXPECT_EQ(drive.events[3].time, QDateTime(QDate(2025, 6, 14), QTime(14, 1, 59), Qt::UTC));
    EXPECT_EQ(drive.events[4].seconds, 2) << "a swerve over two seconds is one event";
    EXPECT_NEAR(drive.events[4].strength, DriveSimulator::sharpTurnDegreesPerSecond, 1);
    EXPECT_NEAR(drive.events[2].strength, DriveSimulator::impactG, 0.2);
    EXPECT_GT(drive.events[0].strength, 0.45);
}

TEST_F(KnownDrive, ThresholdsAreHonoured)
{
    // As the viewer stores them.
    const DetectionThresholds high
        = parseThresholds(QStringLiteral("brake-kmh=60 brake-g=3 impact-g=3  turn-dps=50"));
    EXPECT_EQ(found(analyseOne(high)), std::vector<Found>{});
    EXPECT_EQ(formatThresholds(parseThresholds(formatThresholds(high))), formatThresholds(high));
    // A garbled setting keeps the defaults rather than silencing the detection.
    EXPECT_EQ(formatThresholds(parseThresholds(
                  QStringLiteral("brake-kmh=abc turn-dps=-4 impact-g= junk accel-g=inf =3"))),
        formatThresholds(DetectionThresholds{}));

    DetectionThresholds low;
    low.brakeKmhPerSecond = 5;
    low.turnDegreesPerSecond = 8;
    low.turnMinimumKmh = 10;
    int braking = 0, turns = 0;
    for (const DriveEvent& e : analyseOne(low).events) {
        braking += e.kind == EventKind::Braking;
        turns += e.kind == EventKind::Turn;
    }
    EXPECT_GT(braking, 2) << "ordinary stops brake by more than 5 km/h a second";
    EXPECT_GT(turns, 1) << "the town's corners turn faster than 8 degrees a second";
}

TEST_F(KnownDrive, FiguresOfTheDrive)
{
    const DriveSummary drive = analyseOne();
    EXPECT_EQ(drive.recordings, m_paths);
    EXPECT_EQ(drive.start, QDateTime(QDate(2025, 6, 14), QTime(14, 0), Qt::UTC));
    EXPECT_EQ(drive.end, QDateTime(QDate(2025, 6, 14), QTime(14, 3), Qt::UTC));
    EXPECT_EQ(drive.durationSeconds, 180);
    EXPECT_EQ(drive.recordingOffsets, (std::vector<qint64>{0, 60, 120}));

    std::vector<Fix> fixes;
    double fastest = 0;
    int standing = 0;
    for (int s = 0; s < 180; ++s) {
        const RmcFix& f = m_drive[s].fix;
        fixes.push_back({f.valid, f.latitude, f.longitude});
        if (f.valid) {
            fastest = std::max(fastest, f.speedKnots * 1.852);
            standing += f.speedKnots * 1.852 < 5;
        }
    }
    const double expected = independentDistanceKm(fixes);
    EXPECT_GT(expected, 0.5);
    EXPECT_NEAR(drive.distanceKm, expected, expected * 0.005);
    EXPECT_NEAR(drive.maxSpeedKmh, fastest, 0.02);
    EXPECT_EQ(drive.stoppedSeconds, standing);
    EXPECT_EQ(drive.movingSeconds + drive.stoppedSeconds, 175) << "five seconds had no fix";
    EXPECT_GT(drive.meanMovingSpeedKmh, 5);
    EXPECT_LT(drive.meanMovingSpeedKmh, drive.maxSpeedKmh);
}

TEST_F(KnownDrive, SplitAtAGapAndOneRecordingAlone)
{
    // Four seconds after the drive's end: a drive of its own; and the same on its own folder.
    const QString late = writeRecording(m_dir.path(), "drf_", kLocalStart, m_drive, 184, 50);
    const Analysis a = analyseRecordings({m_dir.path()});
    ASSERT_EQ(a.drives.size(), 2u);
    EXPECT_EQ(a.drives[0].recordings, m_paths);
    EXPECT_EQ(a.drives[1].recordings, QStringList{late});
    EXPECT_EQ(driveOf(a.drives, m_paths[1]), 0);
    EXPECT_EQ(driveOf(a.drives, late), 1);
    EXPECT_EQ(a.drives[1].durationSeconds, 50);

    QTemporaryDir alone;
    QFile::copy(late, QDir(alone.path()).filePath(QFileInfo(late).fileName()));
    const Analysis one = analyseRecordings({alone.path()});
    ASSERT_EQ(one.drives.size(), 1u);
    EXPECT_EQ(one.drives[0].recordings.size(), 1);
    EXPECT_EQ(one.drives[0].durationSeconds, 50);
}

TEST_F(KnownDrive, EventKeysCrossRecordingBoundaries)
{
    const DriveSummary drive = analyseOne();
    ASSERT_EQ(drive.events.size(), 5u);
    // From the start, the first braking; after the jump to it (5 s before), the camera's mark
    // two seconds into the event recording, whose run-up lies in the recording before.
    int e = nextEventIndex(drive, {0, 0});
    ASSERT_EQ(e, 0);
    DrivePosition at = eventPlayPosition(drive, drive.events[0]);
    EXPECT_EQ(at.recording, 0);
    EXPECT_EQ(at.second, 25);
    e = nextEventIndex(drive, at, e);
    ASSERT_EQ(e, 1);
    EXPECT_EQ(drive.events[1].kind, EventKind::Camera);
    at = eventPlayPosition(drive, drive.events[1]);
    EXPECT_EQ(at.recording, 0);
    EXPECT_EQ(at.second, 57);
    e = nextEventIndex(drive, at, e);
    ASSERT_EQ(e, 2);
    EXPECT_EQ(drive.events[2].kind, EventKind::Impact);
    at = eventPlayPosition(drive, drive.events[2]);
    e = previousEventIndex(drive, at, e);
    EXPECT_EQ(e, 1);
    e = previousEventIndex(drive, eventPlayPosition(drive, drive.events[1]), e);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(previousEventIndex(drive, eventPlayPosition(drive, drive.events[0]), e), -1);
    EXPECT_EQ(nextEventIndex(drive, {2, 26}), -1);
}

// Two recordings of a minute: braking at 20 and the camera's mark at 23, the camera's mark and
// braking on the same second 70, a swerve at 100.
DriveSummary keyedDrive()
{
    DriveSummary drive;
    drive.recordings = {QStringLiteral("drf_a.mp4"), QStringLiteral("drf_b.mp4")};
    drive.recordingOffsets = {0, 60};
    drive.recordingLengths = {60, 60};
    const auto event = [](EventKind kind, int recording, int second) {
        DriveEvent e;
        e.kind = kind;
        e.recording = recording;
        e.second = second;
        return e;
    };
    drive.events = {event(EventKind::Braking, 0, 20), event(EventKind::Camera, 0, 23),
        event(EventKind::Camera, 1, 10), event(EventKind::Braking, 1, 10),
        event(EventKind::Turn, 1, 40)};
    return drive;
}

TEST(EventKeys, PreviousIsTheEventBeforeTheOneJumpedToHoweverLongItWasWatched)
{
    const DriveSummary drive = keyedDrive();
    // Landed on the camera's mark at 70 (second 5 of the second recording) and watched three
    // seconds of its run-up: the event before it, not the same one again.
    EXPECT_EQ(previousEventIndex(drive, {1, 8.0}, 2), 1);
    // Again and again, each time a while after the landing: ever earlier events.
    EXPECT_EQ(previousEventIndex(drive, {0, 18 + 2.5}, 1), 0);
    EXPECT_EQ(previousEventIndex(drive, {0, 15 + 3.0}, 0), -1);
    // Up to five seconds after the event the jump still counts; then it has been played on.
    EXPECT_EQ(previousEventIndex(drive, {1, 14.5}, 2), 1);
    // Played on, from the run-up of the first braking to second 40: the event that happened
    // more than the run-up before the position, whichever was jumped to.
    EXPECT_EQ(previousEventIndex(drive, {0, 40}, 0), 1);
    EXPECT_EQ(previousEventIndex(drive, {1, 30}), 3);
    EXPECT_EQ(previousEventIndex(drive, {1, 14}), 1) << "four seconds after the pair";
}

TEST(EventKeys, EventsOfOneSecondAreOneStopAndTheViewFollowsTheJump)
{
    const DriveSummary drive = keyedDrive();
    EXPECT_EQ(nextEventIndex(drive, {0, 0}), 0);
    // Next from the pair at 70, whichever of the two was jumped to: the swerve.
    EXPECT_EQ(nextEventIndex(drive, {1, 5.2}, 2), 4);
    EXPECT_EQ(nextEventIndex(drive, {1, 5.2}, 3), 4);
    EXPECT_EQ(previousEventIndex(drive, {1, 5.2}, 3), 1);
    // Next from the first braking watched past the second's run-up: still the one after it.
    EXPECT_EQ(nextEventIndex(drive, {0, 19}, 0), 1);
    EXPECT_EQ(nextEventIndex(drive, {0, 19}), 2) << "without the jump, the next run-up ahead";
    EXPECT_EQ(nextEventIndex(drive, {1, 36}), -1);

    // The event in view: the one jumped to while the position stays with it, else the one
    // whose run-up or aftermath the position lies in.
    EXPECT_EQ(eventInView(drive, {1, 6}, 2), 2);
    EXPECT_EQ(eventInView(drive, {1, 6}, 3), 3);
    EXPECT_EQ(eventInView(drive, {0, 16}), 0);
    EXPECT_EQ(eventInView(drive, {0, 21}, 0), 0);
    EXPECT_EQ(eventInView(drive, {0, 50}, 1), -1) << "between events";
    EXPECT_EQ(eventInView(drive, {1, 36}), 4);
    EXPECT_EQ(eventInView(drive, {5, 0}), -1) << "a recording the drive does not hold";
}

TEST(DriveAnalysis, RecordingWithoutTelemetryInTheMiddle)
{
    QTemporaryDir dir;
    const QList<DriveSecond> d = simulate(180, {30, 121, 150}, {}, {});
    writeRecording(dir.path(), "drf_", kLocalStart, d, 0, 60);
    writePlainRecording(dir.path(), "drf_20250614_140100.mp4", 60);
    writeRecording(dir.path(), "drf_", kLocalStart, d, 120, 60);
    const Analysis a = analyseRecordings({dir.path()});
    EXPECT_TRUE(a.problems.empty());
    ASSERT_EQ(a.drives.size(), 1u);
    const DriveSummary& drive = a.drives[0];
    EXPECT_EQ(drive.recordingLengths, (std::vector<int>{60, 60, 60}));
    EXPECT_EQ(drive.durationSeconds, 180);
    // The braking a second after the telemetry returns falls in the settling seconds.
    EXPECT_EQ(found(drive),
        (std::vector<Found>{{EventKind::Braking, 0, 30}, {EventKind::Braking, 2, 30}}));
    EXPECT_GT(drive.distanceKm, 0);
}

TEST(DriveAnalysis, UnreadableAndMisnamedFilesAreReportedNotFatal)
{
    QTemporaryDir dir;
    const QString misnamed = dir.filePath("holiday.mp4");
    const QString empty = dir.filePath("drf_20250614_140000.mp4");
    testsupport::RecordingBuilder().ftyp().writeTo(misnamed);
    testsupport::RecordingBuilder().writeTo(empty);
    const Analysis a
        = analyseRecordings({misnamed, empty, dir.filePath("drf_20250614_150000.mp4")});
    ASSERT_EQ(a.problems.size(), 2u);
    EXPECT_EQ(a.problems[0].path, misnamed);
    ASSERT_EQ(a.drives.size(), 1u);
    EXPECT_EQ(a.drives[0].durationSeconds, 0);
    EXPECT_TRUE(a.drives[0].events.empty());

    // A time box claiming more seconds than positions and samples follow: the drive lasts as
    // long as the time box says, the seconds without data are simply empty.
    testsupport::Telemetry t = testsupport::Telemetry::drive(10);
    t.sentences.resize(3);
    t.samples.resize(3);
    const QString shortBoxes = dir.filePath("drf_20250614_160000.mp4");
    testsupport::RecordingBuilder().ftyp().udat(t).writeTo(shortBoxes);
    const Analysis cut = analyseRecordings({shortBoxes});
    ASSERT_EQ(cut.drives.size(), 1u);
    EXPECT_EQ(cut.drives[0].durationSeconds, 10);
    EXPECT_EQ(cut.drives[0].movingSeconds + cut.drives[0].stoppedSeconds, 3);

    std::atomic<bool> cancel{true};
    EXPECT_TRUE(analyseRecordings({empty}, {}, &cancel).cancelled);
}

// The camera's index after the telemetry block is read from the block's copy; one before it,
// where the camera never writes it, or off the 4-byte grid behind bytes that are no box, is
// not read, by the viewer either.
TEST(DriveAnalysis, CameraEventsWhereverTheIndexLies)
{
    QTemporaryDir dir;
    const QString after = dir.filePath("evt_20250614_140000.mp4");
    const QString before = dir.filePath("muevt_20250614_140003.mp4");
    const QString misaligned = dir.filePath("evt_20250614_140006.mp4");
    using testsupport::RecordingBuilder;
    const testsupport::Telemetry t = testsupport::Telemetry::drive(3);
    RecordingBuilder().ftyp().mdat(100).udat(t).evti({"2025/06/14 14:00:01"}).writeTo(after);
    RecordingBuilder().ftyp().evti({"2025/06/14 14:00:04"}).udat(t).writeTo(before);
    RecordingBuilder()
        .ftyp()
        .mdat(101)
        .udat(t)
        .raw("xy")
        .evti({"2025/06/14 14:00:08"})
        .writeTo(misaligned);
    const Analysis a = analyseRecordings({dir.path()});
    ASSERT_EQ(a.drives.size(), 1u);
    std::vector<Found> expected{{EventKind::Camera, 0, 1}};
    EXPECT_EQ(found(a.drives[0], true), expected);
    recording::EventIndex viewer;
    ASSERT_TRUE(recording::loadEventRecords(misaligned, viewer));
    EXPECT_FALSE(viewer.loaded) << "the viewer's own scan passes it by too";
}

// Real receivers' sentences, one a second: the distance agrees with an independent sum, and
// nothing is found while the receiver stood still (its speed and course wander then).
TEST(DriveAnalysis, RealReceiverLogs)
{
    const QDir logs(QStringLiteral(ZYN_NMEA_DIR));
    const QStringList names = logs.entryList({QStringLiteral("gpsd-*.nmea")}, QDir::Files);
    ASSERT_GE(names.size(), 30);
    int moving = 0;
    for (const QString& name : names) {
        if (name.contains(QLatin1String("not-gprmc")))
            continue;
        SCOPED_TRACE(name.toStdString());
        QFile log(logs.filePath(name));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        testsupport::Telemetry t;
        std::vector<Fix> fixes;
        std::vector<double> speeds;
        for (const QByteArray& raw : log.readAll().split('\n')) {
            if (raw.isEmpty())
                continue;
            const QByteArray line
                = raw.left(raw.indexOf('\0') < 0 ? raw.size() : raw.indexOf('\0'));
            t.times.push_back(uint32_t(t.times.size()));
            t.sentences << raw.left(127);
            t.samples.push_back({0, 0, 1});
            const QList<QByteArray> f = line.split(',');
            auto degrees = [](const QByteArray& v, const QByteArray& h) {
                const double raw = v.toDouble();
                const double d = std::floor(raw / 100) + std::fmod(raw, 100) / 60;
                return h == "S" || h == "W" ? -d : d;
            };
            Fix fix{false, 0, 0};
            if (f.size() > 7 && f[2] == "A") {
                fix = {true, degrees(f[3], f[4]), degrees(f[5], f[6])};
                fix.valid = fix.latitude != 0 && fix.longitude != 0 && std::fabs(fix.latitude) <= 90
                    && std::fabs(fix.longitude) <= 180;
            }
            fixes.push_back(fix);
            speeds.push_back(fix.valid && f.size() > 7 ? f[7].toDouble() * 1.852 : 0);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("drf_20250614_140000.mp4");
        ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().udat(t).writeTo(path));
        const Analysis a = analyseRecordings({path});
        ASSERT_EQ(a.drives.size(), 1u);
        const double expected = independentDistanceKm(fixes);
        EXPECT_NEAR(a.drives[0].distanceKm, expected, std::max(expected * 0.005, 1e-6));
        moving += expected > 0.05;
        for (const DriveEvent& e : a.drives[0].events) {
            const size_t s = size_t(e.second);
            EXPECT_TRUE(speeds[s] >= 5 || (s + 1 < speeds.size() && speeds[s + 1] >= 5))
                << eventKindName(e.kind).toStdString() << " at " << s << " while standing";
        }
    }
    EXPECT_GE(moving, 5) << "some logs are of a moving receiver";
}
