#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

class QDateTime;

// Decoding and display text of the recorder's position sentence (an NMEA 0183 "$GPRMC"
// sentence). Everything here is a pure function of its inputs, shared by the main window's
// telemetry panel, printing and the export command.
namespace recording {

// The main window's parse of one sentence; 64 bytes, zeroed before every parse.
struct TelemetryRecord
{
    char timeText[12] = {}; // UTC hhmmss.sss
    char dateText[12] = {}; // UTC ddmmyy
    char statusText[8] = {}; // "A" valid, "V" invalid
    double latitude = 0; // decimal degrees, negative south
    double longitude = 0; // decimal degrees, negative west
    double speed = 0; // knots
    double course = 0; // degrees
};
static_assert(sizeof(TelemetryRecord) == 64);

enum SpeedUnit : int { KilometresPerHour = 0, MilesPerHour = 1, Knots = 2 };

// The text of a sentence buffer: up to its NUL, never beyond `capacity` bytes.
std::string_view sentenceText(const char* buffer, size_t capacity);

// True when the text starts with "$GPRMC"; other sentences leave the record as it was.
bool isPositionSentence(std::string_view text);

// Parses any text as an RMC sentence; missing, empty or malformed fields give zero or empty.
TelemetryRecord parsePositionSentence(std::string_view text);

// "%03d° %02d' %.2f\"" of degrees, minutes and seconds, each carrying the sign of the value.
QString formatCoordinate(double value);
// The panel's two lines: the coordinate text and " N"/" S", " E"/" W".
QString latitudeLine(double latitude);
QString longitudeLine(double longitude);
// The panel draws the position only when both coordinates differ from 0.
bool hasPosition(const TelemetryRecord& record);

// Speed in the chosen unit (an unknown unit counts as km/h).
double convertSpeed(double knots, int unit);
// The converted speed truncated to a whole number, as the digits show it (before clamping).
int speedValue(double knots, int unit);
// The value the digits show for this record: the record's own speed, or for status "V" the
// last valid speed, which a valid record updates.
int displayedSpeed(const TelemetryRecord& record, int unit, int& lastValidSpeed);
// Hundreds, tens and units digit images to show for a value.
std::array<int, 3> speedDigits(int value);

QString speedUnitLabel(int unit);
// String 126, ": " and the converted speed with its unit label (printing).
QString speedText(const TelemetryRecord& record, int unit);

// The sentence's UTC date and time, when its date and time texts form a valid moment.
std::optional<QDateTime> sentenceUtc(const TelemetryRecord& record);
// String 125, ": " and the sentence's moment in the computer's local time (printing).
QString dateTimeText(const TelemetryRecord& record);

} // namespace recording
