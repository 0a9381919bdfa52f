#pragma once

#include "jpeg/CJpegEncoder.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// Test images, decoders and a reader for the files the encoder writes.
namespace jpegtest {

// The image as the frame capture hands it over: description and bottom-up B, G, R rows.
struct Bitmap
{
    CJpegEncoder::Description description{};
    std::vector<uint8_t> pixels;
};
Bitmap toBitmap(const QImage& image);

// Natural-looking pictures: a soft road scene and a fractal cloud texture.
QImage sceneImage(int width, int height);
QImage plasmaImage(int width, int height, unsigned seed, float featureSize = 96);
QImage noiseImage(int width, int height, unsigned seed);
QImage uniformImage(int width, int height, QColor colour);

// Encodes through CJpegEncoder; returns the file's bytes, empty when writeJpeg failed.
QByteArray encode(const QImage& image, const QString& path, qsizetype initialCapacity = -1);
QByteArray readFile(const QString& path);
// A 24-bit BMP file with a 40-byte information header, bottom-up unless `topDown`.
QByteArray bmpFile(const QImage& image, bool topDown = false);
// Runs a command with `input` on its standard input; its standard output, or empty on failure.
QByteArray runFilter(const QString& program, const QStringList& arguments, const QByteArray& input);

QImage decodeWithQt(const QByteArray& jpeg);
QImage decodeWithDjpeg(const QByteArray& jpeg); // null image when djpeg fails or warns
double psnr(const QImage& a, const QImage& b); // over R, G, B of equally sized images

struct Segment
{
    uint8_t marker = 0;
    QByteArray payload; // after the length field
};
// The marker segments in file order; the scan's entropy-coded bytes go to `scan`.
// A parse failure yields an empty list.
std::vector<Segment> parseSegments(const QByteArray& jpeg, QByteArray* scan = nullptr);

// One decoded block: the DC difference and the AC values in zig-zag order, and whether it
// ended with an explicit end-of-block code.
struct CodedBlock
{
    int dcCategory = 0;
    std::array<int, 64> zigZag{};
    bool endOfBlock = false;
};
struct DecodedScan
{
    std::vector<CodedBlock> blocks; // Y, Cb, Cr for each block position in raster order
    int fillBits = 0; // bits after the last block, up to the end of the data
    bool fillBitsAllOnes = false;
    bool ok = false;
};
// Decodes the interleaved scan of a three-component, non-subsampled file of `blockCount`
// positions with the tables of its DHT segment. DC values stay differences.
DecodedScan decodeScan(const QByteArray& jpeg, int blockCount);

} // namespace jpegtest
