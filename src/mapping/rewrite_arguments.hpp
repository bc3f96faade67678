#pragma once

#include <string>
#include <vector>

#include "settings/settings.hpp"

namespace drosk {

// When any argument mentions ".java", every `source` in every argument becomes `build`; otherwise
// the arguments stay as they are. The arguments are a list, or one verbatim argument string.
std::vector<std::string> rewrite_arguments(std::vector<std::string> args, const Settings& settings);
std::string rewrite_arguments(std::string line, const Settings& settings);

}  // namespace drosk
