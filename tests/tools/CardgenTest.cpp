#include "support/CardFile.h"
#include "support/Process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace cardfile;

namespace {

using Result = testsupport::ProcessResult;

Result run(const QString& program, const QStringList& args,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    return testsupport::runProcess(program, args, env, 120000);
}

Result cardgen(const QStringList& args,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    return run(QStringLiteral(ZYN_CARDGEN), args, env);
}

// Metres between the fixes of two split position sentences.
double metresBetween(const QList<QByteArray>& a, const QList<QByteArray>& b)
{
    auto degrees = [](const QByteArray& value, const QByteArray& hemisphere) {
        const double raw = value.toDouble();
        const double d = std::floor(raw / 100) + std::fmod(raw, 100) / 60;
        return hemisphere == "S" || hemisphere == "W" ? -d : d;
    };
    const double lat1 = degrees(a[3], a[4]), lon1 = degrees(a[5], a[6]);
    const double lat2 = degrees(b[3], b[4]), lon2 = degrees(b[5], b[6]);
    const double north = (lat2 - lat1) * 111320;
    const double east = (lon2 - lon1) * 111320 * std::cos(lat1 * M_PI / 180);
    return std::hypot(north, east);
}

struct Expected
{
    QString name;
    bool telemetry;
};

class CardgenTest : public ::testing::Test
{
protected:
    static constexpr int seconds = 3;

    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_result = new Result(cardgen({"--length", QString::number(seconds), "--plain", "1",
            "--seed", "5", "--start", "2025-06-14 14:23:55", s_dir->filePath("card")}));
    }
    static void TearDownTestSuite()
    {
        delete s_result;
        delete s_dir;
    }

    static QString path(const QString& name) { return s_dir->filePath("card/" + name); }
    static QDateTime startOf(const QString& name)
    {
        const QString stamp = name.section('_', 1, 2).left(15);
        const QDateTime wall = QDateTime::fromString(stamp, "yyyyMMdd_HHmmss");
        return QDateTime(wall.date(), wall.time(), QTimeZone(3 * 3600));
    }

    // The kinds take turns along one drive that starts 14:23:55 and crosses 14:24.
    static inline const QList<Expected> recordings = {
        {"drf_20250614_142355.mp4", true},
        {"evt_20250614_142358.mp4", true},
        {"muevt_20250614_142401.mp4", true},
        {"drf_20250614_142404.mp4", true},
        {"evt_20250614_142407.mp4", true},
        {"drf_20250614_142410.mp4", false},
    };

    static void writesEveryKindUnderTheRecorderNames();
    static void filesPlayAsH264AndAacOfTheRequestedLength();
    static void telemetryHasOneRecordPerSecondAlongOneDrive();
    static void eventIndexNamesTheHardBrakingSeconds();
    static void plainRecordingCarriesNoTelemetry();

    static inline QTemporaryDir* s_dir = nullptr;
    static inline Result* s_result = nullptr;
};

void CardgenTest::writesEveryKindUnderTheRecorderNames()
{
    QStringList expected;
    for (const Expected& r : recordings)
        expected << r.name;
    expected.sort();
    const QStringList written
        = QDir(s_dir->filePath("card")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(written, expected); // no partial or probe files left behind
}

void CardgenTest::filesPlayAsH264AndAacOfTheRequestedLength()
{
    for (const Expected& r : recordings) {
        const Result probe = run("ffprobe",
            {"-v", "error", "-show_entries", "stream=codec_name,width,height:format=duration",
                "-of", "default=noprint_wrappers=1", path(r.name)});
        ASSERT_EQ(probe.exitCode, 0) << probe.err.constData();
        const QByteArray text = probe.out;
        EXPECT_TRUE(text.contains("codec_name=h264")) << r.name.toStdString();
        EXPECT_TRUE(text.contains("codec_name=aac")) << r.name.toStdString();
        EXPECT_TRUE(text.contains("width=640\nheight=480")) << r.name.toStdString();
        const int at = text.indexOf("duration=");
        ASSERT_GE(at, 0);
        EXPECT_NEAR(text.mid(at + 9).split('\n').first().toDouble(), seconds, 0.1);
    }
    // Appended boxes must not disturb a decoder reading the whole file.
    const Result decode
        = run("ffmpeg", {"-v", "error", "-i", path(recordings[1].name), "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_TRUE(decode.err.isEmpty()) << decode.err.constData();
}

void CardgenTest::telemetryHasOneRecordPerSecondAlongOneDrive()
{
    QList<QList<QByteArray>> fields;
    QList<std::uint32_t> times;
    for (const Expected& r : recordings) {
        if (!r.telemetry)
            continue;
        const QByteArray file = readAll(path(r.name));
        ASSERT_EQ(file.mid(4, 4), "ftyp");
        const auto t = telemetry(file);
        ASSERT_TRUE(t) << r.name.toStdString();
        EXPECT_EQ(t->timeType, "TIME");
        ASSERT_EQ(t->times.size(), seconds);
        ASSERT_EQ(t->sentences.size(), seconds);
        ASSERT_EQ(t->samples.size(), seconds);
        const QDateTime start = startOf(r.name).toUTC();
        for (int i = 0; i < seconds; ++i) {
            const QByteArray& sentence = t->sentences[i];
            EXPECT_TRUE(sentence.startsWith("$GPRMC,")) << sentence.constData();
            EXPECT_TRUE(checksumValid(sentence)) << sentence.constData();
            const QList<QByteArray> f = sentence.split(',');
            ASSERT_GE(f.size(), 10);
            const QDateTime utc = start.addSecs(i);
            EXPECT_EQ(f[1], utc.toString("HHmmss.zzz").toLatin1());
            EXPECT_EQ(f[9], utc.toString("ddMMyy").toLatin1());
            EXPECT_EQ(t->times[i], std::uint32_t(utc.toSecsSinceEpoch()));
            fields.append(f);
        }
        times += t->times;
    }
    for (int i = 1; i < times.size(); ++i)
        EXPECT_EQ(times[i], times[i - 1] + 1) << "time does not continue at record " << i;

    // Every valid fix is a plausible second's drive from the previous one, across files too;
    // the no-fix stretch is one unbroken run of "V" with empty position fields.
    int firstV = -1, lastV = -1, previousFix = -1;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i][2] == "V") {
            EXPECT_TRUE(fields[i][3].isEmpty());
            lastV = i;
            firstV = firstV < 0 ? i : firstV;
            continue;
        }
        EXPECT_EQ(fields[i][2], "A");
        EXPECT_NEAR(fields[i][3].toDouble(), 5545, 30); // near central Moscow
        if (previousFix >= 0) {
            EXPECT_LT(metresBetween(fields[previousFix], fields[i]), 35.0 * (i - previousFix));
        }
        previousFix = i;
    }
    ASSERT_GE(firstV, 0) << "no stretch without a fix";
    for (int i = firstV; i <= lastV; ++i)
        EXPECT_EQ(fields[i][2], "V");
}

void CardgenTest::eventIndexNamesTheHardBrakingSeconds()
{
    for (const Expected& r : recordings) {
        const QByteArray file = readAll(path(r.name));
        const auto t = telemetry(file);
        const bool event = r.name.startsWith("evt_") || r.name.startsWith("muevt_");
        std::set<QByteArray> spikes;
        for (int i = 0; t && i < t->samples.size(); ++i) {
            EXPECT_NEAR(t->samples[i][2], 1.0, 0.5); // gravity on the vertical axis
            if (t->samples[i][0] < -1.0f)
                spikes.insert(
                    startOf(r.name).addSecs(i).toString("yyyy/MM/dd HH:mm:ss").toLatin1());
        }
        const qint64 box = eventIndexOffset(file);
        if (!event || !r.telemetry) {
            EXPECT_LT(box, 0) << r.name.toStdString();
            EXPECT_TRUE(spikes.empty()) << r.name.toStdString();
            continue;
        }
        ASSERT_GE(box, 0) << r.name.toStdString();
        EXPECT_EQ(box % 4, 0);
        EXPECT_EQ((bigEndian32(file, box) - 8) % 256, 0u);
        const QList<QByteArray> texts = eventTexts(file);
        EXPECT_FALSE(spikes.empty()) << r.name.toStdString();
        EXPECT_EQ(std::set<QByteArray>(texts.begin(), texts.end()), spikes) << r.name.toStdString();
    }
}

void CardgenTest::plainRecordingCarriesNoTelemetry()
{
    const QByteArray file = readAll(path(recordings.last().name));
    ASSERT_FALSE(file.isEmpty());
    for (const Box& box : topLevelBoxes(file)) {
        EXPECT_NE(box.type, "udat");
    }
    EXPECT_FALSE(file.contains("udat"));
    EXPECT_FALSE(file.contains("$GPRMC"));
}

// One short card serves every check: making it is the slow part.
TEST_F(CardgenTest, ShortCardLooksLikeTheRecordersOwn)
{
    ASSERT_EQ(s_result->exitCode, 0) << s_result->err.constData();
    {
        SCOPED_TRACE("writesEveryKindUnderTheRecorderNames");
        writesEveryKindUnderTheRecorderNames();
    }
    {
        SCOPED_TRACE("filesPlayAsH264AndAacOfTheRequestedLength");
        filesPlayAsH264AndAacOfTheRequestedLength();
    }
    {
        SCOPED_TRACE("telemetryHasOneRecordPerSecondAlongOneDrive");
        telemetryHasOneRecordPerSecondAlongOneDrive();
    }
    {
        SCOPED_TRACE("eventIndexNamesTheHardBrakingSeconds");
        eventIndexNamesTheHardBrakingSeconds();
    }
    {
        SCOPED_TRACE("plainRecordingCarriesNoTelemetry");
        plainRecordingCarriesNoTelemetry();
    }
}

TEST(CardgenOptions, OtherCodecsPlayToo)
{
    for (const QString codec : {"mpeg4", "mjpeg"}) {
        QTemporaryDir dir;
        const Result result = cardgen({"--codec", codec, "--length", "1", "--drf", "1", "--evt",
            "0", "--muevt", "0", dir.path()});
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        const QString file = dir.filePath("drf_20250614_142337.mp4");
        const Result probe = run("ffprobe",
            {"-v", "error", "-select_streams", "v", "-show_entries", "stream=codec_name", "-of",
                "csv=p=0", file});
        EXPECT_EQ(probe.out.trimmed(), codec.toLatin1());
        EXPECT_TRUE(telemetry(readAll(file)));
    }
}

TEST(CardgenOptions, FailuresSayWhyInOneLineAndExitNonZero)
{
    QTemporaryDir dir;
    auto expectFailure = [](const Result& result, const char* needle) {
        EXPECT_NE(result.exitCode, 0);
        EXPECT_TRUE(result.err.startsWith("zyn-cardgen: ")) << result.err.constData();
        EXPECT_TRUE(result.err.contains(needle)) << result.err.constData();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.constData();
    };
    const QStringList shortCard = {"--length", "1", "--drf", "1", "--evt", "0", "--muevt", "0"};

    QProcessEnvironment noFfmpeg = QProcessEnvironment::systemEnvironment();
    noFfmpeg.insert("PATH", dir.filePath("empty"));
    expectFailure(
        cardgen(shortCard + QStringList{dir.filePath("a")}, noFfmpeg), "ffmpeg not found");

    // An ffmpeg that fails leaves nothing behind under a recording's name.
    QDir(dir.path()).mkpath("bin");
    QFile fake(dir.filePath("bin/ffmpeg"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\necho 'first line' >&2\necho 'Unknown encoder' >&2\nexit 3\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment broken = QProcessEnvironment::systemEnvironment();
    broken.insert("PATH", dir.filePath("bin"));
    expectFailure(cardgen(shortCard + QStringList{dir.filePath("b")}, broken),
        "ffmpeg failed (exit code 3): Unknown encoder");
    EXPECT_TRUE(QDir(dir.filePath("b")).entryList(QDir::Files | QDir::Hidden).isEmpty());

    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    expectFailure(cardgen(shortCard + QStringList{dir.filePath("file/card")}), "cannot write");

    expectFailure(cardgen({"--codec", "vp9", dir.filePath("c")}), "unknown codec");
    expectFailure(cardgen({"--length", "0", dir.filePath("c")}), "--length");
    expectFailure(cardgen({"--start", "yesterday", dir.filePath("c")}), "--start");
    // Incidents lie within the recordings that carry telemetry: one second is 0 to 0 here.
    expectFailure(cardgen(shortCard + QStringList{"--brake-at", "1", dir.filePath("c")}),
        "--brake-at");
    expectFailure(cardgen(shortCard + QStringList{"--turn-at", "0,x", dir.filePath("c")}),
        "--turn-at");
    expectFailure(cardgen({}), "OUTDIR");
}

TEST(CardgenOptions, KeepsExistingRecordingsUnlessForced)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("drf_20250614_142337.mp4");
    QFile existing(name);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("user data");
    existing.close();
    const QStringList args = {"--length", "1", "--drf", "1", "--evt", "0", "--muevt", "0"};

    const Result refused = cardgen(args + QStringList{dir.path()});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains("--force")) << refused.err.constData();
    EXPECT_EQ(readAll(name), "user data");

    const Result forced = cardgen(args + QStringList{"--force", dir.path()});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.constData();
    EXPECT_EQ(readAll(name).mid(4, 4), "ftyp");
}

} // namespace
