#include "player/PlayerCommand.h"

#include <algorithm>
#include <charconv>

namespace playercommand {

std::string twoDecimals(float value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return std::string(text, result.ptr);
}

std::string loadFile(const char* name1, const char* name2)
{
    std::string command = "pvex_loadfile \"";
    command += name1 ? name1 : "";
    command += "\" \"";
    command += name2 ? name2 : "";
    command += "\"";
    std::replace(command.begin(), command.end(), '\\', '/');
    return command;
}

std::string seek(float seconds, bool relative)
{
    return "seek " + twoDecimals(seconds) + (relative ? "" : " 2");
}

std::string speedSet(float factor)
{
    return "speed_set " + twoDecimals(factor) + " 2";
}

std::string speedIncrement(float step)
{
    return "speed_incr " + twoDecimals(step);
}

std::string speedMultiply(float factor)
{
    return "speed_mult " + twoDecimals(factor);
}

std::string volume(int level)
{
    return "volume " + std::to_string(level) + " 2";
}

} // namespace playercommand
