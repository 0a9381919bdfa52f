#include "viewer/FrameGrabber.h"

#include "player/PVEXAdap.h"

#include <algorithm>
#include <cstring>

namespace {

// Cleared, then as much of the frame as the player reports and the copy holds.
void copyFrame(std::vector<std::uint8_t>& copy, size_t size, const std::uint8_t* frame)
{
    copy.assign(size, 0);
    if (frame && size > 0)
        std::memcpy(copy.data(), frame, size);
}

} // namespace

QImage FrameGrabber::blankFrame()
{
    QImage blank(kWidth, kHeight, QImage::Format_RGB32);
    blank.fill(Qt::white);
    return blank;
}

QImage FrameGrabber::grab(const PVEXAdap& adapter)
{
    return grab(adapter.frame1.load(), adapter.frameBytes.load(), adapter.frame2.load(),
        adapter.channelCount.load() == 2);
}

QImage FrameGrabber::grab(
    const std::uint8_t* frame1, int frameBytes, const std::uint8_t* frame2, bool twoChannels)
{
    const size_t size = frameBytes > 0 ? size_t(frameBytes) : 0;
    copyFrame(m_copy1, size, frame1);
    if (twoChannels)
        copyFrame(m_copy2, size, frame2);
    if (!frame1 || size < size_t(kFrameBytes))
        return blankFrame();
    // Any bytes past one frame are not part of the picture. The unused byte is the image's
    // alpha, which this format requires to be opaque.
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const std::uint8_t* source = m_copy1.data();
    for (int row = 0; row < kHeight; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < kWidth; ++column, source += 4)
            line[column] = qRgb(source[2], source[1], source[0]);
    }
    return image;
}
