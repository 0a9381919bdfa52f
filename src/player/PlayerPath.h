#pragma once

#include <optional>
#include <string>

// A recording's name as the player library takes it. The viewer hands names in the system's
// 8-bit code page; the library reads UTF-8 (mpv does), so on Windows a name is converted and its
// backslash separators become slashes. On Linux the bytes are the name as the file system has
// it, and a backslash is an ordinary character of it: the name goes unchanged.
namespace playerpath {

// The name in the library's form, or nothing when it is longer than the platform's paths (so
// that no file could ever be opened under it, and a cut one would be another file).
std::optional<std::string> forPlayer(const char* name);

} // namespace playerpath
