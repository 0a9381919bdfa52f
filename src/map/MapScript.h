#pragma once

#include "map/MapRoute.h"

#include <QString>

// The script texts the viewer runs in the map page.
namespace mapview {

// A position the marker may move to: finite, on the globe, and not 0, 0 (what a record without
// a fix decodes to).
bool isMapPosition(double latitude, double longitude);

// "updateMap('%f', '%f')": six decimals each, always with a full stop, whatever the user's
// locale (a decimal comma would be read back as a different number, or none).
QString updateMapScript(double latitude, double longitude);

// Hands the route to the page's script; an empty route clears it. Safe on a page whose script
// did not load.
QString routeScript(const Route& route);
// The same for the route of the whole drive, drawn lighter under the recording's.
QString driveRouteScript(const Route& route);

} // namespace mapview
