#pragma once

#include <QByteArray>
#include <QDateTime>

// The satellite receiver's RMC sentence as the recorder stores it, one per second.
struct RmcFix
{
    QDateTime utc;
    bool valid = true; // false: the receiver has no fix ("V"), position fields stay empty
    double latitude = 0; // signed decimal degrees
    double longitude = 0;
    double speedKnots = 0;
    double course = 0; // degrees clockwise from north
};

namespace nmea {

// XOR of every byte between "$" and "*" (or the end), as two upper-case hex digits follow "*".
unsigned checksum(const QByteArray& sentence);

// "$GPRMC,hhmmss.sss,A,ddmm.mmmm,N,dddmm.mmmm,E,speed,course,ddmmyy,,,A*hh"
QByteArray rmcSentence(const RmcFix& fix);

} // namespace nmea
