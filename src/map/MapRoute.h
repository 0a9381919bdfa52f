#pragma once

#include <QList>
#include <QString>

#include <cstdint>

class PVEXUDAT;

// The route of a recording: the positions of its valid position records, in record order.
namespace mapview {

struct RoutePoint
{
    double latitude = 0; // decimal degrees, negative south
    double longitude = 0; // decimal degrees, negative west

    bool operator==(const RoutePoint&) const = default;
};

using Route = QList<RoutePoint>;

// Records 0 to recordCount - 1 of an attached, checked reader. A record counts when it is an
// RMC sentence with status "A" and a position on the globe other than 0, 0 (a receiver without
// a fix may still write one).
Route routeFromTelemetry(const PVEXUDAT& udat);

// The same from a recording file, every position record its block holds. A recording without
// telemetry, of the other view mode, or that cannot be read has no route; nothing is shown.
Route routeOfRecording(const QString& path, int scrambledView = 0, uint32_t scrambleKey = 0);

} // namespace mapview
