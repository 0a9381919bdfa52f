#include "recording/PositionSentence.h"

#include "resources/Strings.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace recording {

namespace {

// Fields run to the next ",", "*" (the checksum) or the end of the text.
class TokenReader
{
public:
    explicit TokenReader(std::string_view text)
        : m_text(text)
    { }

    std::string_view next()
    {
        size_t end = m_position;
        while (end < m_text.size() && m_text[end] != ',' && m_text[end] != '*')
            ++end;
        const std::string_view token = m_text.substr(
            std::min(m_position, m_text.size()), end - std::min(m_position, m_text.size()));
        m_position = end + 1;
        return token;
    }

private:
    std::string_view m_text;
    size_t m_position = 0;
};

template <size_t N> void copyText(char (&target)[N], std::string_view token)
{
    const size_t length = std::min(token.size(), N - 1);
    std::memcpy(target, token.data(), length);
    target[length] = '\0';
}

// Reads a number as the standard text-to-double conversion does (leading blanks, a sign, the
// longest valid prefix) but independent of the user's locale, whose decimal comma would
// misread every sentence. A field longer than the 19 characters that any receiver writes is
// damage and reads as 0, like any other invalid field; so does a non-finite value.
double readNumber(std::string_view token)
{
    constexpr size_t kLongestField = 19;
    if (token.size() > kLongestField)
        return 0;
    size_t start = 0;
    while (start < token.size() && (token[start] == ' ' || token[start] == '\t'))
        ++start;
    bool negative = false;
    if (start < token.size() && (token[start] == '+' || token[start] == '-')) {
        negative = token[start] == '-';
        ++start;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(
        token.data() + start, token.data() + token.size(), value, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees.
double readCoordinate(std::string_view token)
{
    const double v = readNumber(token) / 100;
    const double degrees = std::trunc(v);
    const double minutes = (v - degrees) * 100;
    return degrees + minutes / 60;
}

bool isDigits(const char* text, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int pair(const char* text)
{
    return (text[0] - '0') * 10 + (text[1] - '0');
}

} // namespace

std::string_view sentenceText(const char* buffer, size_t capacity)
{
    const void* nul = std::memchr(buffer, '\0', capacity);
    return {buffer, nul ? size_t(static_cast<const char*>(nul) - buffer) : capacity};
}

bool isPositionSentence(std::string_view text)
{
    return text.starts_with("$GPRMC");
}

TelemetryRecord parsePositionSentence(std::string_view text)
{
    TelemetryRecord record;
    TokenReader tokens(text);
    tokens.next(); // the sentence name
    copyText(record.timeText, tokens.next());
    copyText(record.statusText, tokens.next());
    record.latitude = readCoordinate(tokens.next());
    if (tokens.next() == "S")
        record.latitude = -record.latitude;
    record.longitude = readCoordinate(tokens.next());
    if (tokens.next() == "W")
        record.longitude = -record.longitude;
    record.speed = readNumber(tokens.next());
    record.course = readNumber(tokens.next());
    copyText(record.dateText, tokens.next());
    return record;
}

QString formatCoordinate(double value)
{
    // Work in whole hundredths of a second and split from there: splitting the fraction first
    // lands just below a whole minute for values such as 48° 08' and prints 07' 60.00".
    // Values beyond a million degrees come only from damaged sentences and are capped so the
    // degrees stay an int.
    constexpr double kLargest = 999999;
    const double magnitude = std::isfinite(value) ? std::min(std::fabs(value), kLargest) : 0;
    const long long hundredths = std::llround(magnitude * 360000);
    int degrees = int(hundredths / 360000);
    int minutes = int(hundredths / 6000 % 60);
    const double seconds = double(hundredths % 6000) / 100;
    // The seconds' sign is written by hand: Qt's %f drops the sign of a negative zero, and
    // a southern 0.00 must still read -0.00 like its degrees and minutes.
    if (value < 0) {
        degrees = -degrees;
        minutes = -minutes;
    }
    return QString::asprintf(
        "%03d\u00b0 %02d' %s%.2f\"", degrees, minutes, value < 0 ? "-" : "", seconds);
}

QString latitudeLine(double latitude)
{
    return formatCoordinate(latitude) + (latitude > 0 ? QLatin1String(" N") : QLatin1String(" S"));
}

QString longitudeLine(double longitude)
{
    return formatCoordinate(longitude)
        + (longitude > 0 ? QLatin1String(" E") : QLatin1String(" W"));
}

bool hasPosition(const TelemetryRecord& record)
{
    return record.latitude != 0 && record.longitude != 0;
}

double convertSpeed(double knots, int unit)
{
    switch (unit) {
    case MilesPerHour:
        return knots * 1.852 * 0.6213;
    case Knots:
        return knots;
    default:
        return knots * 1.852;
    }
}

int speedValue(double knots, int unit)
{
    const double converted = convertSpeed(knots, unit);
    if (!std::isfinite(converted))
        return 0;
    return int(std::clamp(converted, -1e9, 1e9));
}

int displayedSpeed(const TelemetryRecord& record, int unit, int& lastValidSpeed)
{
    if (std::strcmp(record.statusText, "V") == 0)
        return lastValidSpeed;
    lastValidSpeed = speedValue(record.speed, unit);
    return lastValidSpeed;
}

std::array<int, 3> speedDigits(int value)
{
    // Three digit images cannot show 1000 or more: the display stops at 999, as a gauge
    // pegs at its end, rather than drop the thousands. A negative speed (a damaged sentence)
    // shows as 000.
    const int shown = std::clamp(value, 0, 999);
    return {shown / 100, shown % 100 / 10, shown % 10};
}

QString speedUnitLabel(int unit)
{
    switch (unit) {
    case MilesPerHour:
        return strings::text(128);
    case Knots:
        return strings::text(129);
    default:
        return strings::text(127);
    }
}

QString speedText(const TelemetryRecord& record, int unit)
{
    const QByteArray label = speedUnitLabel(unit).toUtf8();
    const char* format = unit == Knots ? "%.1fd %s" : "%.1f %s";
    return strings::text(126) + QLatin1String(": ")
        + QString::asprintf(format, convertSpeed(record.speed, unit), label.constData());
}

std::optional<QDateTime> sentenceUtc(const TelemetryRecord& record)
{
    const char* date = record.dateText;
    const char* time = record.timeText;
    if (std::strlen(date) < 6 || std::strlen(time) < 6 || !isDigits(date, 6) || !isDigits(time, 6))
        return std::nullopt;
    const QDate day(2000 + pair(date + 4), pair(date + 2), pair(date));
    const int hour = pair(time);
    const int minute = pair(time + 2);
    const int second = pair(time + 4);
    if (!day.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return QDateTime(day, QTime(hour, minute, second), Qt::UTC);
}

QString dateTimeText(const TelemetryRecord& record)
{
    const QString prefix = strings::text(125) + QLatin1String(": ");
    const std::optional<QDateTime> utc = sentenceUtc(record);
    if (!utc)
        return prefix + QLatin1String("----/--/--  --:--:--");
    // The local time of the sentence's UTC moment, with the zone's daylight saving as it was
    // at that moment.
    const QDateTime local = utc->toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    return prefix
        + QString::asprintf("%04d/%02d/%02d  %02d:%02d:%02d", d.year(), d.month(), d.day(),
            t.hour(), t.minute(), t.second());
}

} // namespace recording
