#include "recording/PositionSentence.h"

#include "resources/Strings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

using namespace recording;

namespace {

constexpr const char* kExample
    = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

// Sets the process's time zone for one test and restores it afterwards.
class ZoneScope
{
public:
    explicit ZoneScope(const char* zone)
        : m_old(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

} // namespace

TEST(PositionSentenceTest, ParsesTheReferenceSentence)
{
    ASSERT_TRUE(isPositionSentence(kExample));
    const TelemetryRecord r = parsePositionSentence(kExample);
    EXPECT_STREQ(r.timeText, "123519");
    EXPECT_STREQ(r.statusText, "A");
    EXPECT_STREQ(r.dateText, "230394");
    EXPECT_NEAR(r.latitude, 48.1173, 1e-9);
    EXPECT_NEAR(r.longitude, 11.0 + 31.0 / 60, 1e-9);
    EXPECT_DOUBLE_EQ(r.speed, 22.4);
    EXPECT_DOUBLE_EQ(r.course, 84.4);

    int last = -1;
    EXPECT_EQ(speedDigits(displayedSpeed(r, KilometresPerHour, last)), (std::array{0, 4, 1}));
    EXPECT_EQ(speedDigits(displayedSpeed(r, MilesPerHour, last)), (std::array{0, 2, 5}));
    EXPECT_EQ(speedDigits(displayedSpeed(r, Knots, last)), (std::array{0, 2, 2}));
    EXPECT_EQ(latitudeLine(r.latitude), QString::fromUtf8("048° 07' 2.28\" N"));
    EXPECT_EQ(longitudeLine(r.longitude), QString::fromUtf8("011° 31' 0.00\" E"));
    EXPECT_TRUE(hasPosition(r));
}

TEST(PositionSentenceTest, SouthAndWestCarryTheSignOnEveryPart)
{
    const TelemetryRecord r = parsePositionSentence(
        "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*6A");
    EXPECT_LT(r.latitude, 0);
    EXPECT_LT(r.longitude, 0);
    EXPECT_EQ(latitudeLine(r.latitude), QString::fromUtf8("-48° -7' -2.28\" S"));
    EXPECT_EQ(longitudeLine(r.longitude), QString::fromUtf8("-11° -31' -0.00\" W"));
    // Only exactly "S" and "W" negate.
    const TelemetryRecord lower = parsePositionSentence("$GPRMC,1,A,4807.038,s,01131.000,w");
    EXPECT_GT(lower.latitude, 0);
    EXPECT_GT(lower.longitude, 0);
}

TEST(PositionSentenceTest, CoordinateSecondsCarryInsteadOfShowingSixty)
{
    // 48° 08' exactly: f × 60 lands just below 8 and the literal split shows 07' 60.00".
    EXPECT_EQ(formatCoordinate(parsePositionSentence("$GPRMC,1,A,4808.000,N").latitude),
        QString::fromUtf8("048° 08' 0.00\""));
    EXPECT_EQ(formatCoordinate(48.0 + 59.99999 / 60), QString::fromUtf8("049° 00' 0.00\""));
    EXPECT_EQ(formatCoordinate(-(12.0 + 59.0 / 60 + 59.999 / 3600)),
        QString::fromUtf8("-13° 00' -0.00\""));
    EXPECT_EQ(
        formatCoordinate(12.0 + 34.0 / 60 + 59.994 / 3600), QString::fromUtf8("012° 34' 59.99\""));
    EXPECT_EQ(formatCoordinate(std::nan("")), QString::fromUtf8("000° 00' 0.00\""));
    EXPECT_EQ(formatCoordinate(1e300), QString::fromUtf8("999999° 00' 0.00\""));
}

TEST(PositionSentenceTest, StatusVKeepsTheLastValidSpeed)
{
    int last = 0;
    const TelemetryRecord valid = parsePositionSentence(kExample);
    EXPECT_EQ(displayedSpeed(valid, KilometresPerHour, last), 41);
    const TelemetryRecord invalid
        = parsePositionSentence("$GPRMC,123520,V,4807.038,N,01131.000,E,099.0,084.4,230394,,*00");
    EXPECT_EQ(displayedSpeed(invalid, KilometresPerHour, last), 41);
    EXPECT_EQ(last, 41);
}

TEST(PositionSentenceTest, SpeedsBeyondThreeDigitsAndDamagedFields)
{
    EXPECT_EQ(speedValue(600, KilometresPerHour), 1111);
    EXPECT_EQ(speedDigits(1111), (std::array{9, 9, 9}));
    EXPECT_EQ(speedDigits(-5), (std::array{0, 0, 0}));
    EXPECT_EQ(speedValue(1e300, Knots), 1000000000);

    // A 20-character field reads as 0 rather than overrun; 19 characters still read.
    const TelemetryRecord longField
        = parsePositionSentence("$GPRMC,1,A,4807.038000000000000,N,01131.0000000000000,E,1e999");
    EXPECT_DOUBLE_EQ(longField.latitude, 0);
    EXPECT_NEAR(longField.longitude, 11.0 + 31.0 / 60, 1e-9);
    EXPECT_DOUBLE_EQ(longField.speed, 0) << "non-finite reads as 0";
    const TelemetryRecord texts
        = parsePositionSentence("$GPRMC,123456789012345,ABCDEFGHIJ,,,,,,,1234567890123456789");
    EXPECT_STREQ(texts.timeText, "12345678901");
    EXPECT_STREQ(texts.statusText, "ABCDEFG");
    EXPECT_STREQ(texts.dateText, "12345678901");
    const TelemetryRecord blanks = parsePositionSentence("$GPRMC,,,,,,, +5.5x,-3,");
    EXPECT_DOUBLE_EQ(blanks.speed, 5.5);
    EXPECT_DOUBLE_EQ(blanks.course, -3);
    EXPECT_FALSE(hasPosition(blanks));
}

TEST(PositionSentenceTest, SpeedText)
{
    const TelemetryRecord r = parsePositionSentence(kExample);
    EXPECT_EQ(speedText(r, KilometresPerHour),
        strings::text(126) + QStringLiteral(": 41.5 ") + strings::text(127));
    EXPECT_EQ(
        speedText(r, Knots), strings::text(126) + QStringLiteral(": 22.4d ") + strings::text(129));
}

TEST(PositionSentenceTest, DateTimeTextIsTheSentencesMomentInLocalTime)
{
    const TelemetryRecord r = parsePositionSentence(kExample);
    const QString prefix = strings::text(125) + QStringLiteral(": ");
    {
        ZoneScope zone("UTC-3"); // POSIX sign: three hours east of Greenwich
        EXPECT_EQ(dateTimeText(r), prefix + QStringLiteral("2094/03/23  15:35:19"));
        TelemetryRecord late = r;
        std::strcpy(late.dateText, "050180");
        std::strcpy(late.timeText, "235946");
        EXPECT_EQ(dateTimeText(late), prefix + QStringLiteral("2080/01/06  02:59:46"));
    }
    {
        ZoneScope zone("EST5");
        TelemetryRecord first = r;
        std::strcpy(first.dateText, "010108");
        std::strcpy(first.timeText, "000039");
        EXPECT_EQ(dateTimeText(first), prefix + QStringLiteral("2007/12/31  19:00:39"));
    }
    for (const char* date : {"", "2208-1", "320194", "001394", "290223"}) {
        TelemetryRecord bad = r;
        std::strcpy(bad.dateText, date);
        EXPECT_EQ(dateTimeText(bad), prefix + QStringLiteral("----/--/--  --:--:--")) << date;
    }
    TelemetryRecord badTime = r;
    std::strcpy(badTime.timeText, "246000");
    EXPECT_FALSE(sentenceUtc(badTime));
}

// Every real receiver's sentence parses, and what the panel would show is plausible.
TEST(PositionSentenceTest, RealReceiverLogs)
{
    const QDir dir(QStringLiteral(ZYN_NMEA_DIR));
    int positionSentences = 0;
    int others = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.nmea")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const bool gprmcFile = !name.contains(QLatin1String("not-gprmc"));
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const std::string_view text = sentenceText(line.constData(), size_t(line.size()));
            const std::string where = name.toStdString() + ": " + std::string(text);
            ASSERT_EQ(isPositionSentence(text), gprmcFile) << where;
            (gprmcFile ? positionSentences : others)++;
            const TelemetryRecord r = parsePositionSentence(text);
            for (double v : {r.latitude, r.longitude, r.speed, r.course})
                ASSERT_TRUE(std::isfinite(v)) << where;
            const QString lines = latitudeLine(r.latitude) + longitudeLine(r.longitude);
            EXPECT_FALSE(lines.contains(QLatin1String("60.00"))) << where;
            EXPECT_FALSE(lines.contains(QLatin1String(" 60'"))) << where;
            int last = 0;
            for (int unit : {0, 1, 2}) {
                for (int digit : speedDigits(displayedSpeed(r, unit, last)))
                    ASSERT_TRUE(digit >= 0 && digit <= 9) << where;
            }
            const QString when = dateTimeText(r);
            EXPECT_TRUE(when.endsWith(QLatin1String("--:--:--")) || sentenceUtc(r)) << where;
            if (std::string_view(r.statusText) == "A" && hasPosition(r)) {
                EXPECT_LE(std::fabs(r.latitude), 90) << where;
                EXPECT_LE(std::fabs(r.longitude), 180) << where;
                EXPECT_GE(r.speed, 0) << where;
                EXPECT_LT(r.speed, 100) << where;
                EXPECT_TRUE(r.course >= 0 && r.course <= 360) << where;
            }
        }
    }
    EXPECT_EQ(positionSentences, 940);
    EXPECT_EQ(others, 93);
}
