#include "viewer/VolumeSlider.h"

#include <array>

namespace {

// Below the track's start a click gives 0, from x = 838 on x - 838, from x = 967 on the
// maximum.
const Slider::Geometry kVolume{
    .maximum = VolumeSlider::kMaximum,
    .origin = 827,
    .lowX = 837,
    .highX = 967,
    .offset = 838,
    .fillLeft = {822, 557},
    .fillRight = {978, 557},
    .track = {QPoint(827, 552), QPoint(977, 571)},
    .redraw = {772, 543, 223, 30},
    .invalidate = {QPoint(772, 543), QPoint(1044, 582)},
    .icon = {790, 553},
    .iconId = 193,
    .emptyIconId = 192,
};

struct Band
{
    int lastPosition;
    int level;
};
// 97 to 108 lies between 90 and 100 and gets the level between them, so every position
// sets a level of its own band.
constexpr std::array<Band, 11> kBands{{
    {0, 0},
    {12, 15},
    {24, 30},
    {36, 40},
    {48, 50},
    {60, 60},
    {72, 70},
    {84, 80},
    {96, 90},
    {108, 95},
    {128, 100},
}};

} // namespace

VolumeSlider::VolumeSlider(int position)
    : Slider(kVolume, position)
{ }

int VolumeSlider::levelFor(int position)
{
    for (const Band& band : kBands) {
        if (position <= band.lastPosition)
            return band.level;
    }
    return kBands.back().level;
}
