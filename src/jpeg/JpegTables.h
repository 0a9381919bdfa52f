#pragma once

#include <array>
#include <cstdint>

// Fixed tables of the baseline encoder: there is no quality setting, so every file carries
// exactly these values.
namespace jpeg {

// Quantisation values in zig-zag order: [0] luminance, [1] chrominance.
extern const std::array<std::array<uint16_t, 64>, 2> quantTables;

// Natural (row-major) index of the k-th coefficient of the zig-zag sequence.
extern const std::array<uint8_t, 64> zigZagToNatural;

// The payload of the one DHT segment (after its length field): the four standard tables with
// class/id 00, 10, 01, 11 in that order.
extern const std::array<uint8_t, 416> dhtPayload;

// cos((2x + 1) u pi / 16) rounded to four decimals, as single precision, indexed [x][u].
extern const std::array<std::array<float, 8>, 8> dctCosines;

// N(0) = 0.7071, N(k) = 1.
extern const std::array<float, 8> dctNormalisation;

} // namespace jpeg
