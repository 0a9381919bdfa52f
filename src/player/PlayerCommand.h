#pragma once

#include <string>

// The player library's command texts, formatted the same way whatever the process's locale:
// seconds, speeds and factors always with two decimals and a decimal point.
namespace playercommand {

std::string twoDecimals(float value);
// "pvex_loadfile \"name1\" \"name2\"" with every backslash turned into a slash.
std::string loadFile(const char* name1, const char* name2);
std::string seek(float seconds, bool relative);
std::string speedSet(float factor);
std::string speedIncrement(float step);
std::string speedMultiply(float factor);
std::string volume(int level);

} // namespace playercommand
