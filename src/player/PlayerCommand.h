#pragma once

#include <optional>
#include <string>

// The player library's command texts, formatted the same way whatever the process's locale:
// seconds, speeds and factors always with two decimals and a decimal point.
namespace playercommand {

std::string twoDecimals(float value);
// "pvex_loadfile \"name1\" \"name2\"" with each name in the library's form (see PlayerPath.h),
// a double quote or an escape character in it escaped. Nothing when a name is longer than the
// platform's paths.
std::optional<std::string> loadFile(const char* name1, const char* name2);
std::string seek(float seconds, bool relative);
std::string speedSet(float factor);
std::string speedIncrement(float step);
std::string speedMultiply(float factor);
std::string volume(int level);

} // namespace playercommand
