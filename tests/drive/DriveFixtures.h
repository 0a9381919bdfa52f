#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

struct DriveSecond;

// Recordings made of telemetry alone (an "ftyp" box, no video), as the camera would name them.
namespace drivefixtures {

// The simulated drive's seconds [from, from + count) as one recording in `folder`, named
// prefix + its start (the drive's start plus `from`, in the camera's local time).
QString writeRecording(const QString& folder, const QString& prefix, const QDateTime& driveStart,
    const QList<DriveSecond>& drive, int from, int count, const QList<int>& eventSeconds = {});

// A recording without telemetry whose movie header says it lasts `seconds`.
QString writePlainRecording(const QString& folder, const QString& name, int seconds);

// Great-circle metres computed apart from the library: unit vectors and the angle between them.
double independentMetres(double lat1, double lon1, double lat2, double lon2);

struct Fix
{
    bool valid;
    double latitude;
    double longitude;
};
// The distance over valid fixes one second apart, leaving out steps that need over 300 km/h.
double independentDistanceKm(const std::vector<Fix>& fixes);

} // namespace drivefixtures
