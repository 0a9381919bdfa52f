#include "map/MapScript.h"

#include <cmath>

namespace mapview {

namespace {

QString decimal(double value, int decimals)
{
    // QString::number is locale-independent, unlike the C library's printf family once a
    // program has adopted the user's locale.
    return QString::number(value, 'f', decimals);
}

} // namespace

bool isMapPosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90
        && std::fabs(longitude) <= 180 && !(latitude == 0 && longitude == 0);
}

QString updateMapScript(double latitude, double longitude)
{
    return QStringLiteral("updateMap('%1', '%2')").arg(decimal(latitude, 6), decimal(longitude, 6));
}

namespace {

QString showScript(const char* function, const Route& route)
{
    QString points;
    points.reserve(route.size() * 28);
    for (const RoutePoint& point : route) {
        if (!points.isEmpty())
            points += QLatin1Char(',');
        points += QLatin1Char('[') + decimal(point.latitude, 7) + QLatin1Char(',')
            + decimal(point.longitude, 7) + QLatin1Char(']');
    }
    return QStringLiteral("typeof %1 == 'function' ? %1([%2]) : -1")
        .arg(QLatin1String(function), points);
}

} // namespace

QString routeScript(const Route& route)
{
    return showScript("zynShowRoute", route);
}

QString driveRouteScript(const Route& route)
{
    return showScript("zynShowDriveRoute", route);
}

} // namespace mapview
