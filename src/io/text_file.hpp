#pragma once

#include <string>
#include <string_view>

namespace drosk {

// Reads a whole file in text mode into `out`. Returns the empty string, or the complaint
// ("Can't open", "Can't read") to report after the file's name.
std::string_view read_text_file(const std::string& name, std::string& out);

}  // namespace drosk
