#pragma once

#include <cstddef>
#include <cstdint>

// The viewer settings record shared by the main window, the settings popup, the viewer
// configuration and the recorder settings file. The layout is kept exactly (4 x int32, 5 + 24
// bytes of text, two tail bytes, then the owner value on its natural alignment) so that the
// record can be copied whole like the one it stands for.
struct ViewerSettings
{
    int32_t level = 0;
    int32_t deviceValue = 0;
    int32_t speedUnit = 0;
    int32_t passwordOn = 0;
    char password[5] = {};
    char deviceText[24] = {};
    uint8_t tailByte1 = 0;
    uint8_t tailByte2 = 0;
    int32_t ownerValue = 0;
};

static_assert(offsetof(ViewerSettings, level) == 0);
static_assert(offsetof(ViewerSettings, deviceValue) == 4);
static_assert(offsetof(ViewerSettings, speedUnit) == 8);
static_assert(offsetof(ViewerSettings, passwordOn) == 12);
static_assert(offsetof(ViewerSettings, password) == 16);
static_assert(offsetof(ViewerSettings, deviceText) == 21);
static_assert(offsetof(ViewerSettings, tailByte1) == 45);
static_assert(offsetof(ViewerSettings, tailByte2) == 46);
static_assert(offsetof(ViewerSettings, ownerValue) == 48);
static_assert(sizeof(ViewerSettings) == 52);

namespace viewer_settings {

inline constexpr int kLevelPositionMax = 213;
inline constexpr uint8_t kTailByte1 = 5;
inline constexpr uint8_t kTailByte2 = 1;

// The level control is 213 pixels wide and split into five steps of 42.8 pixels; the
// arithmetic is done in tenths of a pixel so that every boundary lands exactly (43 is level 1,
// 42 is level 0) instead of depending on how 42.8 rounds in binary.
int levelFromPosition(int position);
// The middle of the level's step, clamped to the control's 0-213 pixels so that a level out of
// range (from a configuration the viewer did not write) still places the control on its track.
int positionFromLevel(int level);

// Length of a fixed-width text field up to its NUL, never past the field.
template <std::size_t N> std::size_t fieldLength(const char (&field)[N])
{
    std::size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return n;
}

} // namespace viewer_settings
