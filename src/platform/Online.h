#pragma once

#include <optional>

namespace platform {

// Whether the machine is on line, as far as the system can tell without sending anything.
bool isOnline();

// Tests force the answer; nullopt hands the question back to the system.
void forceOnline(std::optional<bool> answer);

} // namespace platform
