#pragma once

#include "viewer/Slider.h"

// The volume slider: positions 0 to 128 in bands of twelve, each with the level 0 to 100
// that the player is given; a muted icon at 0.
class VolumeSlider : public Slider
{
public:
    static constexpr int kMaximum = 128;

    explicit VolumeSlider(int position = kMaximum);

    static int levelFor(int position);
    int level() const { return levelFor(value()); }
};
