#include "DriveSimulator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double gravity = 9.80665;
constexpr double metresPerDegree = 111320.0;
constexpr double knotsPerMetreSecond = 1.943844;
constexpr double pi = 3.14159265358979323846;

// std::uniform_real_distribution differs between standard libraries; this does not.
class Random
{
public:
    explicit Random(std::uint32_t seed)
        : m_engine(seed)
    { }
    double uniform(double low, double high)
    {
        return low + (high - low) * (m_engine() / 4294967296.0);
    }
    int integer(int low, int high) { return low + int(m_engine() % std::uint32_t(high - low + 1)); }
    bool chance(double p) { return uniform(0, 1) < p; }
    double noise(double amplitude) { return uniform(-amplitude, amplitude); }

private:
    std::mt19937 m_engine;
};

struct State
{
    double speed = 9.0; // m/s; the card starts mid-drive
    double course = 0;
    double latitude = 0;
    double longitude = 0;
    double target = 11.0;
    int targetLeft = 10;
    int turnLeft = 0;
    double turnRate = 0; // degrees per second
    int nextTurn = 12;
};

bool brakeAhead(const QSet<int>& brakes, int second, int window)
{
    for (int ahead = 1; ahead <= window; ++ahead) {
        if (brakes.contains(second + ahead))
            return true;
    }
    return false;
}

// An impact or a swerve needs a car going steadily at town speed, without a turn of its own
// around it, so the incident is the only thing that stands out.
bool incidentNear(const DriveSimulator::Plan& plan, int second)
{
    for (int at = second - 2; at <= second + 8; ++at) {
        if (plan.impacts.contains(at) || plan.sharpTurns.contains(at))
            return true;
    }
    return false;
}

// Picks this second's manoeuvre; returns whether the car is turning during it.
bool steer(State& s, Random& random, bool calmAhead)
{
    if (s.turnLeft == 0 && --s.nextTurn <= 0 && !calmAhead) {
        const double angle = random.uniform(60, 95) * (random.chance(0.5) ? 1 : -1);
        s.turnLeft = random.integer(5, 7);
        s.turnRate = angle / s.turnLeft;
        s.nextTurn = random.integer(18, 35);
    }
    if (--s.targetLeft <= 0) {
        const bool stop = random.chance(0.12);
        s.target = stop ? 0.0 : random.uniform(8.0, 19.0);
        s.targetLeft = stop ? random.integer(4, 8) : random.integer(8, 20);
    }
    if (s.turnLeft == 0)
        return false;
    --s.turnLeft;
    return true;
}

} // namespace

QList<DriveSecond> DriveSimulator::simulate(const Plan& plan)
{
    Random random(plan.seed);
    State s;
    s.course = plan.course;
    s.latitude = plan.latitude;
    s.longitude = plan.longitude;
    QList<DriveSecond> drive;
    drive.reserve(plan.seconds);
    for (int second = 0; second < plan.seconds; ++second) {
        const bool calmAhead = brakeAhead(plan.hardBrakes, second, 8) || incidentNear(plan, second);
        const bool turning = steer(s, random, calmAhead);
        const bool swerving
            = plan.sharpTurns.contains(second) || plan.sharpTurns.contains(second - 1);
        double desired = s.target;
        if (turning)
            desired = std::min(desired, 6.5);
        if (calmAhead)
            desired = std::max(desired, 15.0);

        DriveSecond now;
        now.fix.utc = plan.startUtc.addSecs(second);
        now.fix.valid = !(second >= plan.noFixFrom && second < plan.noFixFrom + plan.noFixLength);
        now.fix.latitude = s.latitude;
        now.fix.longitude = s.longitude;
        now.fix.speedKnots = s.speed * knotsPerMetreSecond;
        now.fix.course = s.course;

        double change = 0;
        if (plan.hardBrakes.contains(second)) {
            change = -random.uniform(7.5, 9.5);
            now.hardBraking = true;
            now.x = float(-random.uniform(1.15, 1.5));
            s.target = random.uniform(3.0, 6.0);
            s.targetLeft = 5;
        } else {
            change = std::clamp(desired - s.speed, -2.8, 1.8) * 0.8 + random.noise(0.15);
        }
        const double next = std::max(0.0, s.speed + change);
        const double moving = (s.speed + next) / 2;
        double yaw = moving < 0.5 ? 0.0 : (turning ? s.turnRate : random.noise(1.5));
        if (swerving) {
            yaw = sharpTurnDegreesPerSecond;
            now.sharpTurn = true;
        }
        if (!now.hardBraking)
            now.x = float(std::clamp((next - s.speed) / gravity + random.noise(0.02), -0.6, 0.6));
        now.y
            = float(std::clamp(moving * yaw * pi / 180 / gravity + random.noise(0.02), -0.7, 0.7));
        now.z = float(1.0 + random.noise(0.03) + (random.chance(0.05) ? random.noise(0.15) : 0.0)
            + (now.hardBraking ? 0.25 : 0.0));
        if (plan.impacts.contains(second)) {
            now.z += impactG;
            now.impact = true;
        }
        drive.append(now);

        const double heading = (s.course + yaw / 2) * pi / 180;
        s.latitude += moving * std::cos(heading) / metresPerDegree;
        s.longitude
            += moving * std::sin(heading) / (metresPerDegree * std::cos(s.latitude * pi / 180));
        s.course = std::fmod(s.course + yaw + 360.0, 360.0);
        s.speed = next;
    }
    return drive;
}
