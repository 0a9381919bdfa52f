#include "Nmea.h"

#include <cmath>

namespace {

// Degrees and minutes with four decimals, the minutes rounded first so that 59.99996'
// carries into the degrees instead of printing as 60.0000.
QByteArray degreesMinutes(double value, int degreeDigits)
{
    const long long tenThousandths = std::llround(std::fabs(value) * 60.0 * 10000.0);
    const long long degrees = tenThousandths / (60 * 10000);
    const long long minutes = tenThousandths % (60 * 10000);
    return QByteArray::number(degrees).rightJustified(degreeDigits, '0')
        + QByteArray::number(minutes / 10000).rightJustified(2, '0') + '.'
        + QByteArray::number(minutes % 10000).rightJustified(4, '0');
}

} // namespace

namespace nmea {

unsigned checksum(const QByteArray& sentence)
{
    unsigned sum = 0;
    for (qsizetype i = sentence.startsWith('$') ? 1 : 0; i < sentence.size(); ++i) {
        if (sentence[i] == '*')
            break;
        sum ^= static_cast<unsigned char>(sentence[i]);
    }
    return sum;
}

QByteArray rmcSentence(const RmcFix& fix)
{
    const QDateTime utc = fix.utc.toUTC();
    QByteArray body = "$GPRMC," + utc.toString(QStringLiteral("HHmmss.zzz")).toLatin1();
    const QByteArray date = utc.toString(QStringLiteral("ddMMyy")).toLatin1();
    if (fix.valid) {
        body += ",A," + degreesMinutes(fix.latitude, 2) + (fix.latitude < 0 ? ",S," : ",N,")
            + degreesMinutes(fix.longitude, 3) + (fix.longitude < 0 ? ",W," : ",E,")
            + QByteArray::number(fix.speedKnots, 'f', 2) + ','
            + QByteArray::number(fix.course, 'f', 2) + ',' + date + ",,,A";
    } else {
        body += ",V,,,,,,," + date + ",,,N";
    }
    return body + '*' + QByteArray::number(checksum(body), 16).toUpper().rightJustified(2, '0');
}

} // namespace nmea
