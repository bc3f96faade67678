#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace drosk {

// A value for a "%s" (text) or "%d" (integer) placeholder.
using message_value = std::variant<std::string_view, long long>;

// Longest message, in characters; a longer one is cut there.
constexpr std::size_t message_limit = 1023;

// Puts the values in place of the "%s" and "%d" placeholders, in order. The format is the
// program's own; a value is never read as a format.
std::string format_message(std::string_view format,
                           std::initializer_list<message_value> values = {});

// Writes the formatted message to standard error as it stands (no line end added; line ends
// reach it as CR LF) and ends the process with status 1.
[[noreturn]] void fatal(std::string_view format, std::initializer_list<message_value> values = {});

}  // namespace drosk
