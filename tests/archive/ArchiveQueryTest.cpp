#include "ArchiveFixtures.h"

#include "DriveFixtures.h"
#include "DriveSimulator.h"
#include "archive/ArchiveImport.h"
#include "archive/ArchiveQueries.h"
#include "drive/RecordingTelemetry.h"
#include "recording/PositionSentence.h"

#include <QDir>
#include <QFile>

#include <cmath>

using namespace archivetest;

namespace {

const QDateTime kUtcStart(QDate(2025, 5, 3), QTime(11, 20, 0), Qt::UTC);
constexpr qint64 kMoscow = 3 * 3600;

class ArchiveQueryTest : public ArchiveTest
{
protected:
    void import(const QString& card, const QString& vehicle = QStringLiteral("van"))
    {
        archive::Archive a;
        ASSERT_TRUE(open(a));
        archive::ImportOptions o;
        o.vehicle = vehicle;
        const archive::ImportReport report = archive::importCards(a, {card}, o);
        ASSERT_FALSE(report.writeFailed) << report.problems.join('\n').toStdString();
    }
    std::vector<archive::Moment> find(const archive::Query& query)
    {
        archive::Archive a;
        std::vector<archive::Moment> moments;
        if (!open(a))
            return moments;
        QString error;
        EXPECT_TRUE(archive::find(a, query, &moments, &error)) << error.toStdString();
        return moments;
    }
    std::vector<archive::DriveRow> drives()
    {
        archive::Archive a;
        std::vector<archive::DriveRow> rows;
        QString error;
        if (open(a))
            EXPECT_TRUE(archive::drives(a, {}, &rows, &error)) << error.toStdString();
        return rows;
    }
};

QList<QByteArray> sentences(const QString& file)
{
    QFile f(QStringLiteral(ZYN_NMEA_DIR "/") + file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().split('\n');
}

RmcFix fixAt(const QDateTime& utc, double lat, double lon, double knots, double course)
{
    RmcFix f;
    f.utc = utc;
    f.latitude = lat;
    f.longitude = lon;
    f.speedKnots = knots;
    f.course = course;
    return f;
}

} // namespace

// Every pass near a fix of real receivers' logs, against the distance computed apart from the
// library: the closest second of the run within the radius, at its distance.
TEST_P(ArchiveQueryTest, NearFindsThePassOfRealReceiverLogs)
{
    const QString card = folder("logs");
    const QStringList logs{QStringLiteral("gpsd-bundg_zeus_9.nmea"),
        QStringLiteral("gpsd-haicom-305N.nmea"), QStringLiteral("gpsd-cat-ms352.nmea"),
        QStringLiteral("gpsd-meinberg-gps164.nmea")};
    QList<QList<QByteArray>> all;
    for (int i = 0; i < logs.size(); ++i) {
        all << sentences(logs[i]);
        ASSERT_FALSE(all.last().isEmpty()) << logs[i].toStdString();
        writeSentences(
            card, QStringLiteral("drf_20240101_%1.mp4").arg(100000 + i * 10000), all.last());
    }
    import(card);
    for (int i = 0; i < logs.size(); ++i) {
        std::vector<drivefixtures::Fix> fixes;
        for (const QByteArray& s : all[i]) {
            const recording::TelemetryRecord r = recording::parsePositionSentence(
                recording::sentenceText(s.constData(), size_t(s.size())));
            const bool valid = recording::isPositionSentence(s.toStdString())
                && qstrcmp(r.statusText, "A") == 0 && recording::hasPosition(r);
            fixes.push_back({valid, r.latitude, r.longitude});
        }
        // A point some metres off the middle fix.
        int middle = int(fixes.size()) / 2;
        while (middle < int(fixes.size()) && !fixes[size_t(middle)].valid)
            ++middle;
        ASSERT_LT(middle, int(fixes.size())) << logs[i].toStdString();
        const double lat = fixes[size_t(middle)].latitude + 0.0002;
        const double lon = fixes[size_t(middle)].longitude;
        const double radius = 60;
        int closest = -1;
        double best = 1e18;
        for (size_t k = 0; k < fixes.size(); ++k) {
            if (!fixes[k].valid)
                continue;
            const double d
                = drivefixtures::independentMetres(lat, lon, fixes[k].latitude, fixes[k].longitude);
            if (d <= radius && d < best) {
                best = d;
                closest = int(k);
            }
        }
        archive::Query query;
        query.latitude = lat;
        query.longitude = lon;
        query.radiusMetres = radius;
        const std::vector<archive::Moment> found = find(query);
        const QString name = QStringLiteral("drf_20240101_%1.mp4").arg(100000 + i * 10000);
        std::vector<archive::Moment> mine;
        for (const archive::Moment& m : found) {
            if (m.recording.endsWith(name))
                mine.push_back(m);
        }
        ASSERT_EQ(mine.size(), closest < 0 ? 0u : 1u) << logs[i].toStdString();
        if (closest >= 0) {
            EXPECT_EQ(mine[0].second, closest) << logs[i].toStdString();
            EXPECT_NEAR(mine[0].distanceMetres, best, 0.01) << logs[i].toStdString();
            EXPECT_EQ(mine[0].match, QStringLiteral("pass"));
        }
    }
}

TEST_P(ArchiveQueryTest, GoingPastTwiceIsTwoPassesEachAtItsClosestSecond)
{
    // East along a parallel at 10 m/s for 100 s, a stop, then back west past the same place.
    QList<DriveSecond> drive;
    const double lat = 55.75, lon0 = 37.60;
    const double metresPerDegree = 111320 * std::cos(lat * M_PI / 180);
    for (int t = 0; t < 240; ++t) {
        const double x = t < 100 ? 10.0 * t : t < 140 ? 1000 : 1000 - 10.0 * (t - 140);
        DriveSecond s;
        s.fix = fixAt(kUtcStart.addSecs(t), lat, lon0 + x / metresPerDegree,
            t < 100 || t >= 140 ? 19.4 : 0, t < 100 ? 90 : 270);
        drive << s;
    }
    const QString card = folder("card");
    writeRecording(card, "drf_", drive, 0, 120, kMoscow);
    writeRecording(card, "drf_", drive, 120, 120, kMoscow);
    import(card);
    archive::Query query;
    query.latitude = lat + 0.0001; // 11 m north of the road
    query.longitude = lon0 + 503 / metresPerDegree;
    query.radiusMetres = 100;
    const std::vector<archive::Moment> passes = find(query);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].second, 50);
    EXPECT_TRUE(passes[0].recording.endsWith(QLatin1String("drf_20250503_142000.mp4")));
    EXPECT_EQ(passes[1].second, 190 - 120);
    EXPECT_TRUE(passes[1].recording.endsWith(QLatin1String("drf_20250503_142200.mp4")));
    EXPECT_NEAR(passes[0].speedKmh, 19.4 * 1.852, 0.1);
    EXPECT_EQ(passes[0].cameraTime, kUtcStart.addSecs(50 + kMoscow).toSecsSinceEpoch());
    EXPECT_EQ(passes[0].utc, kUtcStart.addSecs(50).toSecsSinceEpoch());

    // The same with the satellites' time: only the way back lies after 11:22 UTC.
    query.timeBase = archive::TimeBase::Utc;
    query.from = kUtcStart.addSecs(120).toSecsSinceEpoch();
    const std::vector<archive::Moment> back = find(query);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].second, 70);
    query.minSpeedKmh = 50;
    EXPECT_TRUE(find(query).empty());
}

TEST_P(ArchiveQueryTest, EventsByKindMonthAndVehicle)
{
    // Two vans in May, one in June, each braking hard at known seconds.
    writeDrive(folder("may-a"), simulateDrive(kUtcStart, 180, 21, {40, 130}), 60, kMoscow);
    writeDrive(folder("may-b"), simulateDrive(kUtcStart.addDays(4), 180, 22, {75}), 60, kMoscow);
    writeDrive(folder("june"), simulateDrive(kUtcStart.addMonths(1), 180, 23, {90}), 60, kMoscow);
    import(folder("may-a"), QStringLiteral("van-a"));
    import(folder("may-b"), QStringLiteral("van-b"));
    import(folder("june"), QStringLiteral("van-a"));
    archive::Query query;
    query.kinds = {QStringLiteral("braking")};
    query.from = archive::parseTime(QStringLiteral("2025-05-01"));
    query.to = archive::parseTime(QStringLiteral("2025-06-01"));
    const std::vector<archive::Moment> may = find(query);
    QSet<QString> vehicles;
    for (const archive::Moment& m : may) {
        EXPECT_EQ(m.match, QStringLiteral("braking"));
        EXPECT_EQ(m.unit, QStringLiteral("g"));
        EXPECT_GE(m.cameraTime, *query.from);
        EXPECT_LT(m.cameraTime, *query.to);
        EXPECT_TRUE(m.hasPosition);
        vehicles << m.vehicle;
    }
    EXPECT_EQ(vehicles, (QSet<QString>{"van-a", "van-b"}));
    // The hard brakes the drives were made with, at their seconds: 40 and 130 of van A.
    std::vector<qint64> vanA;
    for (const archive::Moment& m : may) {
        if (m.vehicle == QLatin1String("van-a"))
            vanA.push_back(m.cameraTime - kUtcStart.addSecs(kMoscow).toSecsSinceEpoch());
    }
    ASSERT_EQ(vanA.size(), 2u);
    EXPECT_NEAR(double(vanA[0]), 40, 2);
    EXPECT_NEAR(double(vanA[1]), 130, 2);

    query.vehicle = QStringLiteral("van-b");
    for (const archive::Moment& m : find(query))
        EXPECT_EQ(m.vehicle, QStringLiteral("van-b"));
    query.vehicle.clear();
    query.from.reset();
    query.to.reset();
    query.kinds = {QStringLiteral("camera")};
    // The camera's own marks: one in each event recording (the middle of every three).
    EXPECT_EQ(find(query).size(), 3u);
}

TEST_P(ArchiveQueryTest, ClockOffsetAndItsJumpAreReported)
{
    // Set to UTC+3 and 42 s fast; a week later the clock was put back an hour.
    writeDrive(folder("before"), simulateDrive(kUtcStart, 120, 31), 60, kMoscow + 42);
    writeDrive(folder("after"), simulateDrive(kUtcStart.addDays(7), 120, 32), 60, 2 * 3600 + 44);
    import(folder("before"));
    import(folder("after"));
    const std::vector<archive::DriveRow> rows = drives();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].clock.known);
    EXPECT_EQ(rows[0].clock.zoneHours, 3);
    EXPECT_EQ(rows[0].clock.driftSeconds, 42);
    EXPECT_EQ(archive::clockText(rows[0].clock), QStringLiteral("+3 h, 42 s fast"));
    EXPECT_EQ(rows[0].clock.jumpSeconds, 0);
    EXPECT_EQ(rows[0].utcStart, kUtcStart.toSecsSinceEpoch());
    EXPECT_EQ(rows[1].clock.zoneHours, 2);
    EXPECT_EQ(rows[1].clock.driftSeconds, 44);
    EXPECT_EQ(rows[1].clock.jumpSeconds, -3600 + 2);
    EXPECT_EQ(archive::jumpText(-3600), QStringLiteral("-1 h"));

    // A search by the satellites' time finds the same second whatever the camera said.
    archive::Query query;
    query.timeBase = archive::TimeBase::Utc;
    query.from = kUtcStart.addDays(7).addSecs(30).toSecsSinceEpoch();
    query.to = *query.from + 1;
    const std::vector<archive::Moment> at = find(query);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].second, 30);
    EXPECT_EQ(at[0].cameraTime - at[0].utc, 2 * 3600 + 44);
}

TEST_P(ArchiveQueryTest, DriveTrackIsTheTelemetrySecondBySecond)
{
    const QStringList paths
        = writeDrive(folder("card"), simulateDrive(kUtcStart, 180, 41, {60}), 60, kMoscow);
    import(folder("card"));
    archive::Archive a;
    ASSERT_TRUE(open(a));
    const std::vector<archive::DriveRow> rows = drives();
    ASSERT_EQ(rows.size(), 1u);
    std::vector<archive::TrackPoint> track;
    QString error;
    ASSERT_TRUE(archive::driveTrack(a, rows[0].id, &track, &error)) << error.toStdString();
    std::vector<drive::TelemetrySecond> expected;
    for (const QString& path : paths) {
        drive::RecordingTelemetry t;
        ASSERT_EQ(drive::readRecording(path, t), drive::ReadResult::Ok);
        for (const drive::TelemetrySecond& s : t.seconds) {
            if (s.hasFix)
                expected.push_back(s);
        }
    }
    ASSERT_EQ(track.size(), expected.size());
    for (size_t i = 0; i < track.size(); ++i) {
        EXPECT_FLOAT_EQ(float(track[i].speedKmh), expected[i].speedKmh);
        EXPECT_DOUBLE_EQ(track[i].latitude, expected[i].latitude);
        EXPECT_EQ(track[i].utc, expected[i].utc);
    }
    EXPECT_EQ(track.back().offset, 179);
    std::vector<QDate> days;
    ASSERT_TRUE(archive::driveDays(a, 2025, 5, QString(), &days, &error));
    EXPECT_EQ(days, std::vector<QDate>{QDate(2025, 5, 3)});
    ASSERT_TRUE(archive::driveDays(a, 2025, 4, QString(), &days, &error));
    EXPECT_TRUE(days.empty());
    std::vector<archive::EventRow> events;
    ASSERT_TRUE(archive::driveEvents(a, rows[0].id, &events, &error));
    EXPECT_EQ(int(events.size()), rows[0].events);
}

TEST_P(ArchiveQueryTest, CheckFindsMissingAndChangedFiles)
{
    writeDrive(folder("card"), simulateDrive(kUtcStart, 180, 51), 60, kMoscow);
    import(folder("card"));
    archive::Archive a;
    ASSERT_TRUE(open(a));
    archive::CheckReport report;
    QString error;
    ASSERT_TRUE(archive::checkFiles(a, nullptr, {}, &report, &error));
    EXPECT_EQ(report.checked, 3);
    EXPECT_TRUE(report.problems.empty());
    const QStringList files = filesUnder(root() + QStringLiteral("/van"));
    QFile::remove(root() + QStringLiteral("/van/") + files[0]);
    QFile changed(root() + QStringLiteral("/van/") + files[1]);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    changed.seek(50);
    changed.write("!");
    changed.close();
    ASSERT_TRUE(archive::checkFiles(a, nullptr, {}, &report, &error));
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_TRUE(report.problems[0].missing);
    EXPECT_FALSE(report.problems[1].missing);
}

INSTANTIATE_TEST_SUITE_P(Databases, ArchiveQueryTest,
    ::testing::Values(Backend::SQLite, Backend::PostgreSQL), backendName);
