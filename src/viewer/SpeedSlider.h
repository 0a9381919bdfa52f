#pragma once

#include "viewer/Slider.h"

// The playback speed slider: positions 0 to 102 in six bands, the presets 1 to 6 with the
// factors 0.15, 0.25, 0.5, 1, 2 and 4 that the player is given.
class SpeedSlider : public Slider
{
public:
    static constexpr int kNormalPosition = 53;
    static constexpr int kNormalPreset = 4;

    SpeedSlider();

    static int presetFor(int position);
    static double factorOf(int preset);

    // Back to normal speed (position 53); apply() then hands the player factor 1.
    void reset() { setValue(kNormalPosition); }
    // Takes the preset of the slider's position as the applied one and returns its factor.
    double apply();
    // The preset applied last: a drag moves the thumb first and applies on release.
    int preset() const { return m_preset; }

private:
    int m_preset = kNormalPreset;
};
