#pragma once

#include <string_view>

namespace drosk {

// Writes the compile command text to __drosk__.log with no line end after it. A log that cannot be
// written is skipped.
void write_command_log(std::string_view compile_command);

}  // namespace drosk
