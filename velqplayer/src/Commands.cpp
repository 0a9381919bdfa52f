#include "Commands.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace velq {

std::optional<std::vector<std::string>> splitCommand(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            word.assign(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
                word.push_back(line[i++]);
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<double> parseNumber(std::string_view word)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string decimal(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    return std::string(text, result.ptr);
}

void diagnostic(const char* what, const std::string& detail)
{
    std::printf("velqplayer: %s: %s\n", what, detail.c_str());
    std::fflush(stdout);
}

} // namespace velq
