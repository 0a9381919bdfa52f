#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velq {

// Splits a command line into words; a word in double quotes may hold spaces and may be
// empty. Returns nothing when a quote is left open.
std::optional<std::vector<std::string>> splitCommand(std::string_view line);

// A decimal number in the C locale whatever the process's locale is; nothing when the word
// is not wholly a number.
std::optional<double> parseNumber(std::string_view word);

// Three decimals in the C locale, for diagnostics and commands handed to mpv.
std::string decimal(double value);

// One line "velqplayer: what: detail" on standard output, flushed at once.
void diagnostic(const char* what, const std::string& detail);

} // namespace velq
