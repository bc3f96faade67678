#pragma once

#include <string>

namespace drosk {

// A whole file as text mode reads it. A file that cannot be opened or read ends the run through
// fatal.
std::string read_text_file(const std::string& name);

}  // namespace drosk
