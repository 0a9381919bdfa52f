#include "viewer/SpeedSlider.h"

#include <algorithm>
#include <array>

namespace {

// The thumb is a click's x minus 646 up to x = 731 (position 85); from x = 732 on it jumps
// to the end, so the fastest band is reached by clicking the track's right end.
const Slider::Geometry kSpeed{
    .maximum = 102,
    .origin = 635,
    .lowX = 646,
    .highX = 732,
    .offset = 646,
    .fillLeft = {630, 557},
    .fillRight = {760, 557},
    .track = {QPoint(630, 552), QPoint(769, 571)},
    // From the thumb's top row (552) down to 583.
    .redraw = {630, 552, 143, 31},
    .invalidate = {630, 552, 143, 31},
    .icon = {599, 553},
    .iconId = 191,
    .emptyIconId = 191,
};

struct Band
{
    int lastPosition;
    double factor;
};
constexpr std::array<Band, 6> kBands{{
    {17, 0.15},
    {34, 0.25},
    {51, 0.5},
    {68, 1.0},
    {85, 2.0},
    {102, 4.0},
}};

} // namespace

SpeedSlider::SpeedSlider()
    : Slider(kSpeed, kNormalPosition)
{ }

int SpeedSlider::presetFor(int position)
{
    for (int i = 0; i < int(kBands.size()); ++i) {
        if (position <= kBands[i].lastPosition)
            return i + 1;
    }
    return int(kBands.size());
}

double SpeedSlider::factorOf(int preset)
{
    return kBands[std::clamp(preset, 1, int(kBands.size())) - 1].factor;
}

double SpeedSlider::apply()
{
    m_preset = presetFor(value());
    return factorOf(m_preset);
}
