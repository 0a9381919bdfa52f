#pragma once

#include "jpeg/CJpegEncoder.h"

#include <QString>

#include <cstdint>
#include <vector>

// What the frame capture does to one frame: its file name, the free path it is written to, and
// its conversion from the player's frame buffer to the encoder's bitmap.
namespace capture_frames {

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;
// The player's frame: B, G, R and an unused byte per pixel, top row first.
inline constexpr std::size_t kFrameBytes = std::size_t(kWidth) * kHeight * 4;
// The encoder's bitmap: B, G, R per pixel, bottom row first (rows of 1920 bytes need no padding).
inline constexpr std::size_t kBitmapBytes = std::size_t(kWidth) * kHeight * 3;

// The recording's name without its folder and without its last extension.
QString baseName(const QString& recordingPath);

// "<base>_%d%d%d%d_%d.jpg" from the position's minutes and seconds digits and the frame number,
// e.g. "rec_0123_1.jpg" at 83 seconds. From 100 minutes on the minutes take three digits.
QString fileName(const QString& base, int positionSeconds, int frameNumber);

// folder + name when no file of that name exists, else the first free name with "-2", "-3" ...
// before ".jpg", so that a capture never replaces an earlier picture.
QString unusedPath(const QString& folder, const QString& name);

// The 24-bit bitmap header values the encoder takes for a 640 x 480 frame.
CJpegEncoder::Description bitmapDescription();

// Converts a whole frame (kFrameBytes) into the bitmap's pixel data (kBitmapBytes).
void toBitmap(const std::uint8_t* frame, std::vector<std::uint8_t>& bitmap);

// Converts and encodes a frame into a JPEG file; true when the file was written whole.
bool writeFrame(CJpegEncoder& encoder, const std::vector<std::uint8_t>& frame,
    std::vector<std::uint8_t>& bitmap, const QString& path);

} // namespace capture_frames
