#include "settings/CaptureFrames.h"

#include <QFileInfo>

#include <algorithm>

namespace capture_frames {

QString baseName(const QString& recordingPath)
{
    return QFileInfo(recordingPath).completeBaseName();
}

QString fileName(const QString& base, int positionSeconds, int frameNumber)
{
    const int position = std::max(positionSeconds, 0);
    const int minutes = position / 60;
    const int seconds = position % 60;
    // Joined piece by piece: a name holding "%1" must not be taken for a place holder.
    return base + QLatin1Char('_') + QString::number(minutes / 10) + QString::number(minutes % 10)
        + QString::number(seconds / 10) + QString::number(seconds % 10) + QLatin1Char('_')
        + QString::number(frameNumber) + QLatin1String(".jpg");
}

QString unusedPath(const QString& folder, const QString& name)
{
    const QString path = folder + name;
    if (!QFileInfo::exists(path))
        return path;
    const QString stem = path.chopped(4); // ".jpg"
    for (int n = 2;; ++n) {
        const QString candidate
            = stem + QLatin1Char('-') + QString::number(n) + QLatin1String(".jpg");
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

CJpegEncoder::Description bitmapDescription()
{
    // Header size, width, height, one plane and 24 bits per pixel, no compression, image size.
    return {40, quint32(kWidth), quint32(kHeight), 1u | 24u << 16, 0, quint32(kBitmapBytes), 0, 0,
        0, 0, 0};
}

void toBitmap(const std::uint8_t* frame, std::vector<std::uint8_t>& bitmap)
{
    bitmap.resize(kBitmapBytes);
    constexpr std::size_t inRow = std::size_t(kWidth) * 4;
    constexpr std::size_t outRow = std::size_t(kWidth) * 3;
    for (int row = 0; row < kHeight; ++row) {
        const std::uint8_t* in = frame + inRow * std::size_t(kHeight - 1 - row);
        std::uint8_t* out = bitmap.data() + outRow * std::size_t(row);
        for (int x = 0; x < kWidth; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}

bool writeFrame(CJpegEncoder& encoder, const std::vector<std::uint8_t>& frame,
    std::vector<std::uint8_t>& bitmap, const QString& path)
{
    if (frame.size() < kFrameBytes)
        return false;
    toBitmap(frame.data(), bitmap);
    const CJpegEncoder::Description description = bitmapDescription();
    encoder.setImage(description, bitmap.data(), qsizetype(bitmap.size()));
    return encoder.writeJpeg(path.toLocal8Bit().constData()) == 1;
}

} // namespace capture_frames
