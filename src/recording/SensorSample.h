#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace recording {

// The acceleration sample of one telemetry record, three little-endian IEEE singles X, Y, Z, or
// nothing when the record holds none: no record at all, twelve zero bytes (what a clip writes for
// a second that no recording has telemetry for; a sensor always feels gravity, so it never reads
// exactly 0 on every axis), or a value that is no number.
inline std::optional<std::array<float, 3>> sensorSample(const std::uint8_t* record)
{
    if (!record)
        return std::nullopt;
    static constexpr std::uint8_t kNone[12] = {};
    if (std::memcmp(record, kNone, sizeof kNone) == 0)
        return std::nullopt;
    std::array<float, 3> sample{};
    for (int axis = 0; axis < 3; ++axis) {
        const std::uint8_t* b = record + 4 * axis;
        const std::uint32_t bits = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8
            | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
        std::memcpy(&sample[size_t(axis)], &bits, sizeof bits);
        if (!std::isfinite(sample[size_t(axis)]))
            return std::nullopt;
    }
    return sample;
}

} // namespace recording
