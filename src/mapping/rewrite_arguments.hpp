#pragma once

#include <string>
#include <vector>

#include "settings/settings.hpp"

namespace drosk {

// When any argument mentions ".java", every `source` in every argument becomes `build`; otherwise
// the arguments stay as they are. A verbatim argument string is rewritten as the list of it alone.
std::vector<std::string> rewrite_arguments(std::vector<std::string> args, const Settings& settings);
std::string rewrite_arguments(std::string line, const Settings& settings);

}  // namespace drosk
