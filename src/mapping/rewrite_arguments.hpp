#pragma once

#include <string>
#include <vector>

#include "settings/settings.hpp"

namespace drosk {

// When any argument mentions ".java", every `source` in every argument becomes `build`; otherwise
// the arguments stay as they are.
std::vector<std::string> rewrite_arguments(std::vector<std::string> args, const Settings& settings);

// Where the argument file is written before it takes the file's place: the name with its last
// character made "_", or "~" when it already is "_". `name` is not empty.
std::string temporary_name(const std::string& name);

}  // namespace drosk
