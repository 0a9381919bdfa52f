#include "settings/ViewerSettings.h"

#include <algorithm>

namespace viewer_settings {

namespace {
    constexpr int kStepTenths = 428; // 42.8 pixels per level
    constexpr int kHalfStepTenths = 214;
} // namespace

int levelFromPosition(int position)
{
    // The position is clamped first: a position is never outside the track once set here, and
    // the product below cannot overflow.
    position = std::clamp(position, 0, kLevelPositionMax);
    return position * 10 / kStepTenths;
}

int positionFromLevel(int level)
{
    level = std::clamp(level, 0, 4);
    return std::clamp((level * kStepTenths + kHalfStepTenths) / 10, 0, kLevelPositionMax);
}

} // namespace viewer_settings
