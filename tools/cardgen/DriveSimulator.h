#pragma once

#include "Nmea.h"

#include <QList>
#include <QSet>

#include <cstdint>

// One second of a drive as the recorder's receiver and G-sensor saw it.
struct DriveSecond
{
    RmcFix fix;
    float x = 0; // longitudinal, forward positive, in G
    float y = 0; // lateral, right positive
    float z = 1; // vertical, gravity included
    bool hardBraking = false;
    bool impact = false;
    bool sharpTurn = false;
};

// A town drive second by second: speed drifts between targets, stops now and then, turns at
// crossings, and brakes hard at the given seconds. Deterministic for a given plan.
class DriveSimulator
{
public:
    struct Plan
    {
        QDateTime startUtc;
        int seconds = 0;
        double latitude = 55.75580; // central Moscow, heading east along the river
        double longitude = 37.61730;
        double course = 95;
        QSet<int> hardBrakes; // seconds since the start
        QSet<int> impacts; // a jolt through the body, as a kerb strike, at these seconds
        QSet<int> sharpTurns; // a swerve over this second and the next, at town speed
        int noFixFrom = -1; // first second without a fix, -1 for none
        int noFixLength = 0;
        std::uint32_t seed = 1;
    };

    // A longitudinal deceleration beyond this is a hard brake; ordinary driving stays well
    // inside it so that the event seconds stand out in the sensor data.
    static constexpr float hardBrakingG = -1.0f;
    // The jolt an impact adds to the vertical axis, and a swerve's course change per second:
    // both well beyond what the simulated town driving ever does.
    static constexpr float impactG = 2.4f;
    static constexpr double sharpTurnDegreesPerSecond = 45;

    static QList<DriveSecond> simulate(const Plan& plan);
};
