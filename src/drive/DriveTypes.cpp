#include "drive/DriveTypes.h"

#include <cmath>

namespace drive {

namespace {

struct ThresholdField
{
    const char* name;
    double DetectionThresholds::*field;
};

constexpr ThresholdField kThresholdFields[] = {
    {"brake-kmh", &DetectionThresholds::brakeKmhPerSecond},
    {"brake-g", &DetectionThresholds::brakeG},
    {"accel-kmh", &DetectionThresholds::accelerationKmhPerSecond},
    {"accel-g", &DetectionThresholds::accelerationG},
    {"impact-g", &DetectionThresholds::impactG},
    {"turn-dps", &DetectionThresholds::turnDegreesPerSecond},
    {"turn-min-kmh", &DetectionThresholds::turnMinimumKmh},
};

} // namespace

QStringList thresholdNames()
{
    QStringList names;
    for (const ThresholdField& field : kThresholdFields)
        names << QLatin1String(field.name);
    return names;
}

bool setThreshold(DetectionThresholds& thresholds, const QString& name, const QString& value)
{
    for (const ThresholdField& field : kThresholdFields) {
        if (name != QLatin1String(field.name))
            continue;
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(number) || number <= 0)
            return false;
        thresholds.*(field.field) = number;
        return true;
    }
    return false;
}

DetectionThresholds parseThresholds(const QString& text)
{
    DetectionThresholds thresholds;
    for (const QString& pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        setThreshold(thresholds, pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return thresholds;
}

QString formatThresholds(const DetectionThresholds& thresholds)
{
    QStringList pairs;
    for (const ThresholdField& field : kThresholdFields)
        pairs << QLatin1String(field.name) + QLatin1Char('=')
                + QString::number(thresholds.*(field.field), 'g', 6);
    return pairs.join(QLatin1Char(' '));
}

QString eventKindName(EventKind kind)
{
    switch (kind) {
    case EventKind::Camera:
        return QStringLiteral("camera");
    case EventKind::Braking:
        return QStringLiteral("braking");
    case EventKind::Acceleration:
        return QStringLiteral("acceleration");
    case EventKind::Impact:
        return QStringLiteral("impact");
    case EventKind::Turn:
        return QStringLiteral("turn");
    }
    return {};
}

QString strengthUnit(EventKind kind)
{
    switch (kind) {
    case EventKind::Camera:
        return {};
    case EventKind::Turn:
        return QStringLiteral("deg/s");
    default:
        return QStringLiteral("g");
    }
}

} // namespace drive
