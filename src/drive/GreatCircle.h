#pragma once

#include <cmath>

namespace drive {

// Mean Earth radius (IUGG), in metres.
constexpr double kEarthRadiusMetres = 6371008.8;

// Great-circle distance by the haversine formula, which stays exact for the few metres between
// two fixes where the spherical law of cosines loses its digits.
inline double greatCircleMetres(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double rad = 3.14159265358979323846 / 180;
    const double dLat = (lat2 - lat1) * rad;
    const double dLon = (lon2 - lon1) * rad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::fmin(1.0, h)));
}

} // namespace drive
