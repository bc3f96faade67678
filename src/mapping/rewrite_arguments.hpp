#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.hpp"

namespace drosk {

// When any argument mentions ".java", every `source` in every argument becomes `build`; otherwise
// the arguments stay as they are.
std::vector<std::string> rewrite_arguments(std::vector<std::string> args, const Settings& settings);

// The argument file named in a verbatim argument string: after the first "@" that starts the
// string or follows a blank, up to the next blank.
std::optional<std::string> arg_file_in_line(std::string_view line);

// The argument file named in an argument list: the rest of the first argument that begins with "@".
std::optional<std::string> arg_file_in_list(const std::vector<std::string>& args);

// Where the argument file is written before it takes the file's place: the name with its last
// character made "_", or "~" when it already is "_". `name` is not empty.
std::string temporary_name(const std::string& name);

}  // namespace drosk
