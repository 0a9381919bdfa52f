#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velq {

// The number of time records in the recording's "udat" block, read from the box headers
// only; nothing when the file has no such block. With scrambled set, the first box's size is
// stored XORed with key.
std::optional<std::int32_t> timeRecordCount(
    const std::string& path, bool scrambled, std::uint32_t key);

} // namespace velq
