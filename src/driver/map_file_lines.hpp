#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace drosk {

// How a file's mapping ended: whether all of it was read, and all that was made written.
struct lines_mapped {
  bool read;
  bool written;
};

// Which of the system's copies a second thread takes over: the reading of the file, or the writing.
enum class overlap { reading, writing };

// Reads `in` as read_line_blocks does (whole lines, several at a time), has `map` make each block's
// output in the string it is given (`work`, or one that takes its place while `work` waits to be
// written), and writes that to `out`, stopping at the first write error. For a file longer than a
// megabyte, a second thread reads ahead or writes behind, as `side` says, so that the system's
// copies overlap the mapping; a shorter file, one that cannot tell its length, and a machine with
// one core are done on this thread alone.
lines_mapped map_file_lines(std::FILE* in, bool text_mode, std::FILE* out, std::string& work,
                            overlap side,
                            const std::function<void(std::string_view, std::string&)>& map);

}  // namespace drosk
