#pragma once

#include <string>
#include <string_view>

namespace drosk::platform {

// Runs a command text through the command processor in the current directory, with drosk's
// console and environment (plus `extra_environment`, a NAME=VALUE, when it is not empty), waits for
// it and returns its exit status; -1 when no processor can be started.
int run_command(const std::string& text, std::string_view extra_environment = {});

}  // namespace drosk::platform
