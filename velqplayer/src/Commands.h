#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velq {

// Splits a command line into words; a word in double quotes may hold spaces and may be
// empty, and holds a quote or the escape character when the escape stands before it. Returns
// nothing when a quote is left open.
std::optional<std::vector<std::string>> splitCommand(std::string_view line);

// The name in double quotes, a quote or an escape character in it escaped, as the load
// command carries it.
std::string quoted(std::string_view name);

// A decimal number in the C locale whatever the process's locale is; nothing when the word
// is not wholly a number.
std::optional<double> parseNumber(std::string_view word);

// Three decimals in the C locale, for diagnostics and commands handed to mpv.
std::string decimal(double value);

// One line "velqplayer: what: detail" on standard output, flushed at once.
void diagnostic(const char* what, const std::string& detail);

} // namespace velq
