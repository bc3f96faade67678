#pragma once

#include <string_view>

namespace drosk {

// The command log's name; the file is the directory's lock as well (platform/lock.hpp).
inline constexpr char command_log_name[] = "__drosk__.log";

// Writes the compile command text to __drosk__.log with no line end after it. A log that cannot be
// written is skipped.
void write_command_log(std::string_view compile_command);

}  // namespace drosk
