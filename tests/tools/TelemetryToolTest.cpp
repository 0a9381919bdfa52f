#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace testsupport;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QList<QByteArray> errorLines;
};

ToolRun telemetry(const QStringList& args, const QString& outputFile = {})
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(ZYN_TELEMETRY), args);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    for (const QByteArray& line : process.readAllStandardError().split('\n')) {
        if (!line.isEmpty())
            run.errorLines << line;
    }
    return run;
}

struct TrackPoint
{
    double lat;
    double lon;
    QString time;
    double speed;
};

// Reads a GPX document as the GPX 1.1 schema shapes it: gpx (version, creator) > trk >
// trkseg > trkpt (lat, lon; time before extensions). Fails the test on any other shape.
QList<QList<TrackPoint>> readGpx(const QByteArray& document)
{
    const QString ns = QStringLiteral("http://www.topografix.com/GPX/1/1");
    QList<QList<TrackPoint>> segments;
    QXmlStreamReader xml(document);
    EXPECT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QLatin1String("gpx"));
    EXPECT_EQ(xml.namespaceUri(), ns);
    EXPECT_EQ(xml.attributes().value(QLatin1String("version")), QLatin1String("1.1"));
    EXPECT_FALSE(xml.attributes().value(QLatin1String("creator")).isEmpty());
    while (xml.readNextStartElement()) {
        EXPECT_EQ(xml.name(), QLatin1String("trk"));
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("name")) {
                xml.skipCurrentElement();
                continue;
            }
            EXPECT_EQ(xml.name(), QLatin1String("trkseg"));
            segments.append(QList<TrackPoint>());
            while (xml.readNextStartElement()) {
                EXPECT_EQ(xml.name(), QLatin1String("trkpt"));
                TrackPoint point{xml.attributes().value(QLatin1String("lat")).toDouble(),
                    xml.attributes().value(QLatin1String("lon")).toDouble(), {}, -1};
                bool seenExtensions = false;
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("time")) {
                        EXPECT_FALSE(seenExtensions) << "time must precede extensions";
                        point.time = xml.readElementText();
                    } else {
                        EXPECT_EQ(xml.name(), QLatin1String("extensions"));
                        seenExtensions = true;
                        xml.readNextStartElement(); // TrackPointExtension
                        while (xml.readNextStartElement()) {
                            if (xml.name() == QLatin1String("speed"))
                                point.speed = xml.readElementText().toDouble();
                            else
                                xml.skipCurrentElement();
                        }
                        xml.skipCurrentElement();
                    }
                }
                segments.last().append(point);
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return segments;
}

double metres(const TrackPoint& a, const TrackPoint& b)
{
    const double north = (b.lat - a.lat) * 111320;
    const double east = (b.lon - a.lon) * 111320 * std::cos(a.lat * M_PI / 180);
    return std::hypot(north, east);
}

} // namespace

TEST(TelemetryToolTest, HelpAndUsage)
{
    const ToolRun help = telemetry({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(
        help.out.contains("--gpx") && help.out.contains("--csv") && help.out.contains("--events"));
    for (const char* option : {"--summary", "--json", "--brake-kmh", "--brake-g", "--accel-kmh",
             "--accel-g", "--impact-g", "--turn-dps", "--turn-min-kmh"})
        EXPECT_TRUE(help.out.contains(option)) << option;
    EXPECT_EQ(telemetry({}).exitCode, 1);
    EXPECT_EQ(telemetry({QStringLiteral("--kml"), QStringLiteral("x")}).exitCode, 1);
}

TEST(TelemetryToolTest, DamagedFilesAreReportedAndTheOthersStillWritten)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("drf_20240501_120000.mp4");
    const QString empty = dir.filePath("drf_20240501_120100.mp4");
    const QString noBlock = dir.filePath("drf_20240501_120200.mp4");
    const QString order = dir.filePath("drf_20240501_120300.mp4");
    const QString scrambled = dir.filePath("drf_20240501_120400.mp4");
    ASSERT_TRUE(RecordingBuilder().ftyp().mdat(500).udat(Telemetry::drive(3)).writeTo(good));
    ASSERT_TRUE(RecordingBuilder().writeTo(empty));
    ASSERT_TRUE(RecordingBuilder().ftyp().mdat(500).writeTo(noBlock));
    ASSERT_TRUE(
        RecordingBuilder().ftyp().raw(udatBox(Telemetry::drive(2), "SENS", "GPSI")).writeTo(order));
    ASSERT_TRUE(
        RecordingBuilder().raw(box("sc01", {})).udat(Telemetry::drive(2)).writeTo(scrambled));
    const QStringList bad{empty, noBlock, order, scrambled, dir.filePath("missing.mp4")};

    const ToolRun gpx = telemetry(QStringList{QStringLiteral("--gpx"), empty, good} + bad);
    EXPECT_EQ(gpx.exitCode, 1);
    ASSERT_EQ(gpx.errorLines.size(), 6) << gpx.errorLines.join('\n').toStdString();
    for (int i = 0; i < gpx.errorLines.size(); ++i) {
        const QString path = i == 0 ? empty : bad[i - 1];
        EXPECT_TRUE(gpx.errorLines[i].contains(path.toLocal8Bit()))
            << gpx.errorLines[i].toStdString();
    }
    EXPECT_TRUE(gpx.errorLines[0].contains("empty"));
    EXPECT_TRUE(gpx.errorLines[2].contains("udat"));
    const QList<QList<TrackPoint>> segments = readGpx(gpx.out);
    ASSERT_EQ(segments.size(), 1);
    ASSERT_EQ(segments[0].size(), 3);
    EXPECT_NEAR(segments[0][0].lat, 48.1173, 1e-7);
    EXPECT_EQ(segments[0][0].time, QStringLiteral("2094-03-23T12:35:19Z"));
    EXPECT_NEAR(segments[0][0].speed, 22.4 * 1852 / 3600, 1e-3);

    const ToolRun csv = telemetry({QStringLiteral("--csv"), good, noBlock});
    EXPECT_EQ(csv.exitCode, 1);
    EXPECT_EQ(csv.errorLines.size(), 1);
    const QList<QByteArray> rows = csv.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[1].split(',').size(), 12);
    EXPECT_TRUE(rows[1].contains(",0,2094-03-23T12:35:19Z,A,48.1173000,11.5166667,22.40,41.48,"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[3].endsWith(",0.020,-0.500,1.000")) << rows[3].toStdString();
}

TEST(TelemetryToolTest, InvalidPositionsAreLeftOutOfTheTrackButKeptInTheTable)
{
    QTemporaryDir dir;
    Telemetry t = Telemetry::drive(3);
    t.sentences[1] = "$GPRMC,123520,V,,,,,,,230394,,*00";
    t.sentences[2] = "$GNRMC,123521,A,4807.038,N,01131.000,E,1.0,0.0,230394,,*00";
    const QString path = dir.filePath("drf_20240501_120000.mp4");
    ASSERT_TRUE(RecordingBuilder().ftyp().udat(t).writeTo(path));
    const ToolRun gpx = telemetry({path});
    EXPECT_EQ(gpx.exitCode, 0);
    EXPECT_EQ(readGpx(gpx.out).value(0).size(), 1);
    const ToolRun csv = telemetry({QStringLiteral("--csv"), path});
    const QList<QByteArray> rows = csv.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    // No fix: status kept, position, speed and course left empty rather than a false 0,0.
    EXPECT_TRUE(rows[2].contains(",V,,,,,,")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].contains(",2,,,,,,,,")) << rows[3].toStdString();
}

// A full disk must not pass for a complete file: whatever the form and however much is
// written, a failed write gives one line with the reason and a non-zero status.
TEST(TelemetryToolTest, OutputThatCannotBeWrittenFailsWithItsReason)
{
    if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
        GTEST_SKIP() << "no /dev/full here";
    QTemporaryDir dir;
    const QString small = dir.filePath("evt_20240501_120000.mp4");
    const QString large = dir.filePath("drf_20240501_120100.mp4");
    ASSERT_TRUE(RecordingBuilder()
                    .ftyp()
                    .udat(Telemetry::drive(2))
                    .evti({"2024/05/01 12:00:01"})
                    .writeTo(small));
    ASSERT_TRUE(RecordingBuilder().ftyp().udat(Telemetry::drive(3000)).writeTo(large));
    for (const QStringList& files : {QStringList{small}, QStringList{large}}) {
        for (const char* mode : {"--gpx", "--csv", "--events"}) {
            const ToolRun run = telemetry(QStringList{mode} + files, QStringLiteral("/dev/full"));
            EXPECT_EQ(run.exitCode, 2) << mode;
            ASSERT_EQ(run.errorLines.size(), 1) << mode;
            EXPECT_TRUE(run.errorLines[0].startsWith("zyn-telemetry: cannot write the output: "))
                << run.errorLines[0].toStdString();
            EXPECT_TRUE(run.errorLines[0].contains("space")) << run.errorLines[0].toStdString();
        }
    }
    // The same written to a file succeeds.
    EXPECT_EQ(telemetry({QStringLiteral("--csv"), large}, dir.filePath("out.csv")).exitCode, 0);
    EXPECT_GT(QFileInfo(dir.filePath("out.csv")).size(), 3000 * 50);
}

// GPX 1.1 takes longitudes from -180 up to 180 and courses from 0 up to 360, both without the
// upper end: the meridian and north are written by their other names, also where the rounding
// to the written decimals reaches the end.
TEST(TelemetryToolTest, TrackValuesStayWithinTheSchemaRanges)
{
    Telemetry t = Telemetry::drive(4);
    t.sentences[0] = "$GPRMC,123519,A,4807.038,N,18000.0000,E,022.4,360.0,230394,003.1,W*6A";
    t.sentences[1] = "$GPRMC,123520,A,4807.038,N,17959.99999999,E,022.4,359.97,230394,003.1,W*6A";
    t.sentences[2] = "$GPRMC,123521,A,4807.038,N,18000.0000,W,022.4,000.0,230394,003.1,W*6A";
    t.sentences[3] = "$GPRMC,123522,A,4807.038,N,17959.0000,E,022.4,359.94,230394,003.1,W*6A";
    QTemporaryDir dir;
    const QString path = dir.filePath("drf_20240501_120000.mp4");
    ASSERT_TRUE(RecordingBuilder().ftyp().udat(t).writeTo(path));
    const ToolRun gpx = telemetry({path});
    ASSERT_EQ(gpx.exitCode, 0);
    const QList<QList<TrackPoint>> segments = readGpx(gpx.out);
    ASSERT_EQ(segments.value(0).size(), 4);
    EXPECT_EQ(segments[0][0].lon, -180.0);
    EXPECT_EQ(segments[0][1].lon, -180.0);
    EXPECT_EQ(segments[0][2].lon, -180.0);
    EXPECT_NEAR(segments[0][3].lon, 179.9833333, 1e-7);
    const QString text = QString::fromUtf8(gpx.out);
    EXPECT_EQ(text.count(QStringLiteral("<gpxtpx:course>0.0</gpxtpx:course>")), 3);
    EXPECT_TRUE(text.contains(QStringLiteral("<gpxtpx:course>359.9</gpxtpx:course>")));
    EXPECT_FALSE(text.contains(QStringLiteral(">360.0<")));
    EXPECT_FALSE(text.contains(QStringLiteral("\"180.0000000\"")));
}

// A sensor box with fewer samples than there are time records: the rows it has no sample for
// are left empty, not filled with the next box's bytes read as accelerations.
TEST(TelemetryToolTest, ShortSensorBoxLeavesItsMissingSamplesEmpty)
{
    Telemetry t = Telemetry::drive(3);
    t.samples.resize(1);
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_120000.mp4");
    ASSERT_TRUE(
        RecordingBuilder().ftyp().udat(t).raw(box("EVTI", QByteArray(256, '\x65'))).writeTo(path));
    const ToolRun csv = telemetry({QStringLiteral("--csv"), path});
    ASSERT_EQ(csv.exitCode, 0);
    const QList<QByteArray> rows = csv.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[1].endsWith(",0.000,-0.500,1.000")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",,,")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].endsWith(",,,")) << rows[3].toStdString();
}

TEST(TelemetryToolTest, EventList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_123450.mp4");
    ASSERT_TRUE(RecordingBuilder()
                    .ftyp()
                    .mdat(64)
                    .udat(Telemetry::drive(1))
                    .evti({"2024/05/01 12:35:10", "G, hard 2024/05/01 12:36:00"})
                    .writeTo(path));
    const ToolRun events = telemetry({QStringLiteral("--events"), path});
    EXPECT_EQ(events.exitCode, 0);
    const QList<QByteArray> rows = events.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], "recording,index,event_time,seconds_from_start,text,kind");
    EXPECT_TRUE(rows[1].endsWith(",0,2024-05-01T12:35:10,20,2024/05/01 12:35:10,camera"));
    EXPECT_TRUE(
        rows[2].endsWith(",1,2024-05-01T12:36:00,70,\"G, hard 2024/05/01 12:36:00\",camera"));
}

TEST(TelemetryToolTest, SummaryAsJsonAndAsText)
{
    // Two recordings one after the other, then one an hour later: two drives.
    QTemporaryDir dir;
    const QString first = dir.filePath("drf_20240501_120000.mp4");
    const QString second = dir.filePath("evt_20240501_120003.mp4");
    const QString later = dir.filePath("muevt_20240501_130000.mp4");
    ASSERT_TRUE(RecordingBuilder().ftyp().udat(Telemetry::drive(3)).writeTo(first));
    ASSERT_TRUE(RecordingBuilder()
                    .ftyp()
                    .udat(Telemetry::drive(3))
                    .evti({"2024/05/01 12:00:04"})
                    .writeTo(second));
    ASSERT_TRUE(RecordingBuilder().ftyp().udat(Telemetry::drive(2)).writeTo(later));

    const ToolRun json
        = telemetry({QStringLiteral("--summary"), QStringLiteral("--json"), dir.path()});
    ASSERT_EQ(json.exitCode, 0) << json.errorLines.join('\n').toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray drives = document.object().value(QLatin1String("drives")).toArray();
    ASSERT_EQ(drives.size(), 2);
    const QJsonObject d = drives[0].toObject();
    EXPECT_EQ(d.value(QLatin1String("start")).toString(), QLatin1String("2024-05-01T12:00:00"));
    EXPECT_EQ(d.value(QLatin1String("end")).toString(), QLatin1String("2024-05-01T12:00:06"));
    EXPECT_EQ(d.value(QLatin1String("recordings")).toArray(), QJsonArray({first, second}));
    EXPECT_GT(d.value(QLatin1String("distance_km")).toDouble(), 0);
    EXPECT_TRUE(d.value(QLatin1String("max_speed_kmh")).isDouble());
    const QJsonArray events = d.value(QLatin1String("events")).toArray();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(
        events[0].toObject().value(QLatin1String("kind")).toString(), QLatin1String("camera"));
    EXPECT_EQ(events[0].toObject().value(QLatin1String("time")).toString(),
        QLatin1String("2024-05-01T12:00:04"));
    EXPECT_EQ(
        drives[1].toObject().value(QLatin1String("recordings")).toArray(), QJsonArray({later}));

    const ToolRun text = telemetry({QStringLiteral("--summary"), first, second, later});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.startsWith("Drive 1 of 2: 2024-05-01 12:00:00 to 2024-05-01 12:00:06"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("Drive 2 of 2: 2024-05-01 13:00:00"));

    // A file that cannot be read is named, the rest still summarised; options are checked.
    const ToolRun missing
        = telemetry({QStringLiteral("--summary"), first, dir.filePath("drf_20240501_140000.mp4")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errorLines.size(), 1);
    EXPECT_TRUE(missing.out.contains("Drive 1 of 1"));
    EXPECT_EQ(telemetry({QStringLiteral("--json"), first}).exitCode, 1);
    EXPECT_EQ(
        telemetry({QStringLiteral("--summary"), QStringLiteral("--brake-kmh"), first}).exitCode, 1);
    EXPECT_EQ(
        telemetry({QStringLiteral("--events"), QStringLiteral("--impact-g=-1"), first}).exitCode,
        1);
    QTemporaryDir empty;
    const ToolRun none = telemetry({QStringLiteral("--summary"), empty.path()});
    EXPECT_EQ(none.exitCode, 1);
    ASSERT_EQ(none.errorLines.size(), 1);
    EXPECT_TRUE(none.errorLines[0].contains("no recordings"));
}

#ifdef ZYN_CARDGEN
namespace {

// Rows of --events of kind other than camera, as "kind recording-name second".
QStringList detectedRows(const ToolRun& run)
{
    QStringList rows;
    for (const QByteArray& row : run.out.trimmed().split('\n').mid(1)) {
        const QList<QByteArray> f = row.split(',');
        if (f.size() == 6 && f[5] != "camera")
            rows << QStringLiteral("%1 %2 %3")
                        .arg(QString::fromUtf8(f[5]), QFileInfo(QString::fromUtf8(f[0])).fileName(),
                            QString::fromUtf8(f[1]));
    }
    rows.sort();
    return rows;
}

} // namespace

// A demo card made with incidents at known seconds of the drive: they are listed at those
// seconds, and nothing else; thresholds given on the command line are applied.
TEST(TelemetryToolTest, DemoCardIncidentsAreListedAtTheirSeconds)
{
    QTemporaryDir dir;
    QProcess cardgen;
    cardgen.start(QStringLiteral(ZYN_CARDGEN),
        {"--length", "20", "--drf", "4", "--evt", "0", "--muevt", "0", "--codec", "mjpeg",
            "--brake-at", "12,39", "--impact-at", "50", "--turn-at", "65", dir.path()});
    ASSERT_TRUE(cardgen.waitForFinished(120000));
    ASSERT_EQ(cardgen.exitCode(), 0) << cardgen.readAllStandardError().toStdString();

    const ToolRun events = telemetry({QStringLiteral("--events"), dir.path()});
    ASSERT_EQ(events.exitCode, 0) << events.errorLines.join('\n').toStdString();
    // The drive starts 14:23:37 and its recordings last 20 s each.
    EXPECT_EQ(detectedRows(events),
        QStringList({"braking drf_20250614_142337.mp4 12", "braking drf_20250614_142357.mp4 19",
            "impact drf_20250614_142417.mp4 10", "turn drf_20250614_142437.mp4 5"}));
    EXPECT_TRUE(events.out.contains(",2025-06-14T14:24:27,10,")) << "impact at 50 s";

    const ToolRun strict = telemetry({"--events", "--brake-kmh", "100", "--brake-g=3", "--impact-g",
        "3", "--turn-dps", "60", dir.path()});
    EXPECT_EQ(detectedRows(strict), QStringList());
    const ToolRun loose = telemetry({"--events", "--turn-dps", "10", dir.path()});
    EXPECT_GT(detectedRows(loose).size(), 4) << "the town's own corners";

    const ToolRun summary = telemetry({"--summary", "--json", dir.path()});
    const QJsonArray drives
        = QJsonDocument::fromJson(summary.out).object().value(QLatin1String("drives")).toArray();
    ASSERT_EQ(drives.size(), 1);
    EXPECT_EQ(drives[0].toObject().value(QLatin1String("events")).toArray().size(), 4);
    EXPECT_EQ(drives[0].toObject().value(QLatin1String("recordings")).toArray().size(), 4);
}

// The demo card's drive comes out as one continuous track, a segment per recording.
TEST(TelemetryToolTest, DemoCardTrackFollowsTheDrive)
{
    QTemporaryDir dir;
    QProcess cardgen;
    cardgen.start(QStringLiteral(ZYN_CARDGEN),
        {QStringLiteral("--length"), QStringLiteral("4"), QStringLiteral("--drf"),
            QStringLiteral("2"), QStringLiteral("--evt"), QStringLiteral("1"),
            QStringLiteral("--muevt"), QStringLiteral("0"), dir.path()});
    ASSERT_TRUE(cardgen.waitForFinished(120000));
    ASSERT_EQ(cardgen.exitCode(), 0) << cardgen.readAllStandardError().toStdString();
    QStringList files;
    for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("*.mp4")}, QDir::Files))
        files << dir.filePath(name);
    // Recordings follow each other in time; their names sort after their type prefix.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.section(QLatin1Char('_'), -2) < b.section(QLatin1Char('_'), -2);
    });
    ASSERT_EQ(files.size(), 3);

    const ToolRun gpx = telemetry(files);
    ASSERT_EQ(gpx.exitCode, 0) << gpx.errorLines.join('\n').toStdString();
    const QList<QList<TrackPoint>> segments = readGpx(gpx.out);
    ASSERT_EQ(segments.size(), 3);
    const TrackPoint* previous = nullptr;
    int points = 0;
    for (const QList<TrackPoint>& segment : segments) {
        for (const TrackPoint& point : segment) {
            EXPECT_FALSE(point.time.isEmpty());
            EXPECT_GE(point.speed, 0);
            EXPECT_LT(point.speed, 70);
            if (previous) {
                EXPECT_GT(point.time, previous->time);
                EXPECT_LT(metres(*previous, point), 80) << point.time.toStdString();
            }
            previous = &point;
            ++points;
        }
    }
    EXPECT_GE(points, 8);
    EXPECT_GT(metres(segments.first().first(), segments.last().last()), 20) << "the car moved";

    const ToolRun events = telemetry(QStringList{QStringLiteral("--events")} + files);
    EXPECT_EQ(events.exitCode, 0);
    EXPECT_GE(events.out.trimmed().split('\n').size(), 2);
}
#endif
