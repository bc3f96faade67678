#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "text/text_mode.hpp"

namespace drosk {

// How a file's mapping ended: whether all of it was read, and all that was made written.
struct lines_mapped {
  bool read;
  bool written;
};

// Reads `in` as read_line_blocks does (whole lines, several at a time), has `map` append each
// block's output to `work` (emptied first), and hands that to `write`, stopping at the first
// write that fails.
lines_mapped map_file_lines(std::FILE* in, read_mode mode, std::string& work,
                            const std::function<void(std::string_view, std::string&)>& map,
                            const std::function<bool(std::string_view)>& write);

}  // namespace drosk
