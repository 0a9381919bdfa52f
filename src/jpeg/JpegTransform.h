#pragma once

#include <cstddef>
#include <cstdint>

// The per-pixel and per-block arithmetic of the encoder. Its results are bit-exact to the
// prescribed evaluation (double-precision colour sums held as floats, a direct DCT summed term
// by term in single precision); only the loop structure is arranged for speed.
namespace jpeg {

// Converts up to eight top-down rows of 24-bit B, G, R pixels into three level-shifted planes
// (Y, Cb, Cr) of `stride` floats per row and eight rows. `rows` points at the first row and
// `rowStep` is the byte distance to the next one (negative for a bottom-up bitmap). Columns
// from `width` and rows from `rowCount` on are set to 0, which is mid-grey after the shift.
void convertStrip(const uint8_t* rows, std::ptrdiff_t rowStep, int width, int rowCount, int stride,
    float* y, float* cb, float* cr);

// Forward DCT of one 8 x 8 block of level-shifted samples (`stride` floats per row), then
// zig-zag and truncating quantisation by `quant` (zig-zag order). `out` is in zig-zag order.
void transformBlock(const float* block, int stride, const uint16_t* quant, int16_t* out);

} // namespace jpeg
