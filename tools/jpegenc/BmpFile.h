#pragma once

#include "jpeg/CJpegEncoder.h"

#include <QString>

#include <cstdint>
#include <vector>

// A 24-bit uncompressed bitmap file, turned into what the frame capture hands the encoder:
// the eleven description values and the pixel rows bottom row first.
struct BmpImage
{
    CJpegEncoder::Description description{};
    std::vector<uint8_t> pixels;
};

// Reads `path`; on failure returns false and puts a one-line reason into `error`.
bool readBmp(const QString& path, BmpImage& image, QString& error);
