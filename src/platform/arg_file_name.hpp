#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drosk {

// The argument file named in a verbatim argument string: after the first "@" that starts the
// string or follows a blank, up to the next blank.
std::optional<std::string> arg_file_in_line(std::string_view line);

// The argument file named in an argument list: the rest of the first argument that begins with "@".
std::optional<std::string> arg_file_in_list(const std::vector<std::string>& args);

}  // namespace drosk
