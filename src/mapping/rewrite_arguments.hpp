#pragma once

#include <string>
#include <vector>

#include "settings/settings.hpp"

namespace drosk {

// When any argument mentions ".java", every `source` in every argument becomes `build`; otherwise
// the arguments stay as they are.
std::vector<std::string> rewrite_arguments(std::vector<std::string> args, const Settings& settings);

}  // namespace drosk
