#pragma once

#include <string>
#include <string_view>

namespace drosk {

// The texts handed to the command processor. "||EXIT 1" makes any failure status 1; the compiler's
// standard error goes to __stderr__.log for the relay.
std::string preprocess_command_text(std::string_view preprocess);
std::string compile_command_text(std::string_view javac, std::string_view arguments);

}  // namespace drosk
