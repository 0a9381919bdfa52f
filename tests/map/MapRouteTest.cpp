// The route drawn for a recording: exactly its valid position records, in order.
#include "map/MapRoute.h"

#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "support/RecordingBuilder.h"

#ifdef ZYN_CARDGEN
#include "support/CardFile.h"
#include <QProcess>
#endif

#include <QDir>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

using mapview::Route;
using mapview::RoutePoint;

namespace {

QByteArray rmc(const char* status, const char* latitude, const char* north, const char* longitude,
    const char* east)
{
    return QByteArray("$GPRMC,101500.000,") + status + ',' + latitude + ',' + north + ','
        + longitude + ',' + east + ",012.5,090.0,140625,,,A*00";
}

QString writeRecording(const QTemporaryDir& dir, const char* name, const QList<QByteArray>& gps)
{
    testsupport::Telemetry telemetry;
    for (int i = 0; i < gps.size(); ++i) {
        telemetry.times.push_back(uint32_t(i));
        telemetry.sentences.append(gps[i]);
        telemetry.samples.push_back({0.f, 0.f, 1.f});
    }
    const QString path = dir.filePath(QLatin1String(name));
    testsupport::RecordingBuilder().ftyp().mdat(64).udat(telemetry).writeTo(path);
    return path;
}

} // namespace

TEST(MapRoute, TakesOnlyRecordsWithAFixInRecordOrder)
{
    QTemporaryDir dir;
    const QString path = writeRecording(dir, "drf_20250614_142337.mp4",
        {
            rmc("A", "5545.3480", "N", "03737.0380", "E"),
            rmc("V", "5545.3500", "N", "03737.0400", "E"), // receiver says: no fix
            rmc("A", "", "", "", ""), // a fix claimed, no position: 0, 0
            "$GPGGA,101503.000,5545.3520,N,03737.0420,E,1,08,0.9,150.0,M,,,,*00", "garbage",
            rmc("A", "3330.0000", "S", "07015.0000", "W"),
            rmc("A", "9530.0000", "N", "03737.0420", "E"), // latitude beyond the pole
        });
    const Route route = mapview::routeOfRecording(path);
    ASSERT_EQ(route.size(), 2);
    EXPECT_NEAR(route[0].latitude, 55 + 45.348 / 60, 1e-9);
    EXPECT_NEAR(route[0].longitude, 37 + 37.038 / 60, 1e-9);
    EXPECT_NEAR(route[1].latitude, -33.5, 1e-9);
    EXPECT_NEAR(route[1].longitude, -70.25, 1e-9);
}

TEST(MapRoute, RecordingsWithoutReadableTelemetryHaveNoRoute)
{
    QTemporaryDir dir;
    EXPECT_TRUE(mapview::routeOfRecording(dir.filePath(QStringLiteral("missing.mp4"))).isEmpty());
    EXPECT_TRUE(mapview::routeOfRecording(QString()).isEmpty());

    const QString plain = dir.filePath(QStringLiteral("drf_20250614_142337.mp4"));
    ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().mdat(64).writeTo(plain));
    EXPECT_TRUE(mapview::routeOfRecording(plain).isEmpty());

    const QString damaged = dir.filePath(QStringLiteral("evt_20250614_142337.mp4"));
    testsupport::Telemetry drive = testsupport::Telemetry::drive(5);
    ASSERT_TRUE(testsupport::RecordingBuilder()
                    .ftyp()
                    .mdat(64)
                    .raw(testsupport::udatBox(drive, "GPSX"))
                    .writeTo(damaged));
    EXPECT_TRUE(mapview::routeOfRecording(damaged).isEmpty());

    // A plain recording in the encryption view mode: the player reports the mismatch; the route
    // just stays empty, and the program goes on.
    const QString valid = dir.filePath(QStringLiteral("muevt_20250614_142337.mp4"));
    ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().mdat(64).udat(drive).writeTo(valid));
    ASSERT_EQ(mapview::routeOfRecording(valid).size(), 5);
    EXPECT_TRUE(mapview::routeOfRecording(valid, 1, 0x5a5a5a5a).isEmpty());
}

TEST(MapRoute, FromAnAttachedReaderStopsAtItsRecordCount)
{
    const testsupport::Telemetry drive = testsupport::Telemetry::drive(6);
    const QByteArray box = testsupport::udatBox(drive);
    PVEXUDAT udat;
    udat.setData(reinterpret_cast<const uint8_t*>(box.constData()), size_t(box.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(4);
    const Route route = mapview::routeFromTelemetry(udat);
    ASSERT_EQ(route.size(), 4);
    EXPECT_NEAR(route[3].latitude, 48 + 7.068 / 60, 1e-9);
    udat.setRecordCount(100); // more than the block holds: the lookups end it
    EXPECT_EQ(mapview::routeFromTelemetry(udat).size(), 6);
}

#ifdef ZYN_CARDGEN
// A recording as the demo-card generator writes it, with a stretch without a fix, read back by a
// reader of the tests' own.
TEST(MapRoute, OfADemoRecordingIsItsValidRecords)
{
    QTemporaryDir dir;
    QProcess generator;
    generator.start(QStringLiteral(ZYN_CARDGEN),
        {QStringLiteral("--length"), QStringLiteral("24"), QStringLiteral("--drf"),
            QStringLiteral("1"), QStringLiteral("--evt"), QStringLiteral("0"),
            QStringLiteral("--muevt"), QStringLiteral("0"), dir.path()});
    ASSERT_TRUE(generator.waitForFinished(120000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().constData();
    const QStringList files = QDir(dir.path()).entryList({QStringLiteral("drf_*.mp4")});
    ASSERT_EQ(files.size(), 1);
    const QString path = QDir(dir.path()).filePath(files.first());

    const std::optional<cardfile::Telemetry> written = cardfile::telemetry(cardfile::readAll(path));
    ASSERT_TRUE(written);
    Route expected;
    for (const QByteArray& sentence : written->sentences) {
        if (sentence.split(',').value(2) != "A")
            continue;
        const recording::TelemetryRecord fix
            = recording::parsePositionSentence(sentence.toStdString());
        expected.append({fix.latitude, fix.longitude});
    }
    ASSERT_EQ(written->sentences.size(), 24);
    ASSERT_LT(expected.size(), 24) << "the demo drive loses its fix for a while";
    ASSERT_GT(expected.size(), 12);
    EXPECT_EQ(mapview::routeOfRecording(path), expected);
}
#endif
