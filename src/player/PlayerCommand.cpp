#include "player/PlayerCommand.h"

#include "player/PlayerPath.h"
#include "velqplayer/Protocol.h"

#include <charconv>

namespace playercommand {

std::string twoDecimals(float value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return std::string(text, result.ptr);
}

namespace {

    std::string quoted(const std::string& name)
    {
        std::string text = "\"";
        for (const char c : name) {
            if (c == '"' || c == velq::kLoadEscape)
                text += velq::kLoadEscape;
            text += c;
        }
        return text + '"';
    }

} // namespace

std::optional<std::string> loadFile(const char* name1, const char* name2)
{
    const std::optional<std::string> first = playerpath::forPlayer(name1);
    const std::optional<std::string> second = playerpath::forPlayer(name2);
    if (!first || !second)
        return std::nullopt;
    return "pvex_loadfile " + quoted(*first) + " " + quoted(*second);
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
