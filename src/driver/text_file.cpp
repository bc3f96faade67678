#include "driver/text_file.hpp"

#include <string>

#include "driver/block_source.hpp"
#include "driver/text_mode.hpp"
#include "platform/files.hpp"

namespace drosk {

std::string_view read_text_file(const std::string& name, std::string& out) {
  file_ptr in(platform::open_for_reading(name));
  if (!in) return "Can't open";
  out.clear();
  bool read_error = !read_line_blocks(in.get(), true, [&](std::string_view lines) {
    out.append(lines);
    return true;
  });
  return read_error ? "Can't read" : "";
}

bool write_bytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

void write_error_text(std::string_view text) {
  std::string out;
  append_crlf(out, text);
  write_bytes(stderr, out);
  std::fflush(stderr);
}

bool read_line_blocks(std::FILE* in, bool text_mode,
                      const std::function<bool(std::string_view)>& take, bool read_ahead) {
  block_source blocks(in, text_mode, read_ahead);
  // The unfinished line that the last block ended in: it is handed over whole, with the start of
  // the next block, and grows only for a line longer than the blocks.
  std::string line;
  for (;;) {
    block_read read = blocks.next();
    if (read.failed) return false;
    std::string_view rest = read.bytes;
    if (!line.empty()) {
      std::size_t lf = rest.find('\n');
      std::size_t ended_line = lf == std::string_view::npos ? rest.size() : lf + 1;
      line.append(rest.substr(0, ended_line));
      rest.remove_prefix(ended_line);
      if (lf != std::string_view::npos) {
        if (!take(line)) return true;
        line.clear();
      }
    }
    std::size_t last_lf = rest.rfind('\n');
    if (last_lf != std::string_view::npos) {
      if (!take(rest.substr(0, last_lf + 1))) return true;
      rest.remove_prefix(last_lf + 1);
    }
    line.append(rest);
    if (read.ended) break;
  }
  if (!line.empty()) take(line);
  return true;
}

}  // namespace drosk
