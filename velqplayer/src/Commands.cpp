#include "Commands.h"

#include "velqplayer/Protocol.h"

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
            // Inside quotes the escape keeps a quote or the escape itself in the word; before
            // any other character it is an ordinary character of the name.
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                const char c = line[i];
                if (c == kLoadEscape && i + 1 < line.size()
                    && (line[i + 1] == '"' || line[i + 1] == kLoadEscape)) {
                    word.push_back(line[++i]);
                } else if (c == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    word.push_back(c);
                }
            }
            if (!closed)
                return std::nullopt;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
                word.push_back(line[i++]);
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string quoted(std::string_view name)
{
    std::string text = "\"";
    for (const char c : name) {
        if (c == '"' || c == kLoadEscape)
            text.push_back(kLoadEscape);
        text.push_back(c);
    }
    text.push_back('"');
    return text;
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
