#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drosk {

// Whether a byte of the ANSI code page starts a double-byte character.
using lead_byte_test = bool (*)(unsigned char);
inline bool no_lead_bytes(unsigned char) {
  return false;
}

// The arguments of a verbatim argument string as the Microsoft C runtime splits it, and javac's
// launcher with it: blanks and tabs separate them outside double quotes, quotes group and are
// removed, and backslashes count only before a quote (2n give n and a quote that groups, 2n+1 give
// n and a plain quote). Within quotes, "" is a plain quote. A double-byte character is never cut.
std::vector<std::string> split_arguments(std::string_view line, lead_byte_test lead_byte);

// The argument string with a closing quote added where the split above leaves it inside quotes,
// and the backslashes that end it doubled, so that they still stand for themselves: followed by a
// blank and more, it splits into its own arguments and then the others. A command text follows it
// with the blank before its redirection, which the compiler would otherwise take into the last
// argument.
std::string close_open_quote(std::string_view line, lead_byte_test lead_byte = no_lead_bytes);

// The argument file named in a verbatim argument string: the first argument, split as above, that
// begins with a single "@"; its name is the rest of that argument.
std::optional<std::string> arg_file_in_line(std::string_view line,
                                            lead_byte_test lead_byte = no_lead_bytes);

// The argument file named in an argument list: the rest of the first argument that begins with a
// single "@". An argument that begins with "@@" is javac's way of writing a plain one that begins
// with "@", and is passed over.
std::optional<std::string> arg_file_in_list(const std::vector<std::string>& args);

}  // namespace drosk
