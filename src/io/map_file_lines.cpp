#include "io/map_file_lines.hpp"

#include "io/text_file.hpp"

namespace drosk {

lines_mapped map_file_lines(std::FILE* in, read_mode mode, std::string& work,
                            const std::function<void(std::string_view, std::string&)>& map,
                            const std::function<bool(std::string_view)>& write) {
  bool written = true;
  bool read = read_line_blocks(in, mode, [&](std::string_view lines) {
    work.clear();
    map(lines, work);
    written = write(work);
    return written;
  });
  return {read, written};
}

}  // namespace drosk
