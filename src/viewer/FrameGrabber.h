#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

class PVEXAdap;

// The main window's copies of the player's current frames, kept between uses, and the
// picture of channel 1 made from them. The player's frames are 640 x 480 pixels of B, G, R
// and an unused byte, rows top to bottom.
class FrameGrabber
{
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kFrameBytes = kWidth * kHeight * 4;

    // Copies the adapter's frames (the second only in two-channel mode) and returns channel 1
    // as a picture; before the first frame, or when the player reports less than a whole
    // frame, the picture is blank (white) rather than read past the player's buffer.
    QImage grab(const PVEXAdap& adapter);
    QImage grab(const std::uint8_t* frame1, int frameBytes, const std::uint8_t* frame2 = nullptr,
        bool twoChannels = false);

    static QImage blankFrame();

    const std::vector<std::uint8_t>& copy1() const { return m_copy1; }
    const std::vector<std::uint8_t>& copy2() const { return m_copy2; }

private:
    std::vector<std::uint8_t> m_copy1;
    std::vector<std::uint8_t> m_copy2;
};
