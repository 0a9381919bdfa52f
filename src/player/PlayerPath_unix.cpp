#include "player/PlayerPath.h"

#include "velqplayer/Protocol.h"

#include <climits>
#include <cstring>

namespace playerpath {

// PATH_MAX counts the terminating NUL.
static_assert(PATH_MAX - 1 <= velq::kNameMax, "a name the kernel opens must fit the command");

std::optional<std::string> forPlayer(const char* name)
{
    const std::size_t length = name ? std::strlen(name) : 0;
    if (length > PATH_MAX - 1)
        return std::nullopt;
    return std::string(name ? name : "", length);
}

} // namespace playerpath
