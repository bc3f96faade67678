#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace drosk {

// Splits a Windows process command line into the program's name (its quotes and carets removed)
// and the argument string that follows the name and its blanks, kept verbatim; no argument string
// when nothing follows.
std::pair<std::string, std::optional<std::string>> split_command_line(std::string_view line);

}  // namespace drosk
