#include "io/text_file.hpp"

#include <cstring>

#include "platform/files.hpp"
#include "platform/standard_error.hpp"

namespace drosk {

std::string_view read_text_file(const std::string& name, std::string& out) {
  file_ptr in(platform::open_for_reading(name));
  if (!in) return "Can't open";
  out.clear();
  bool read = read_line_blocks(in.get(), read_mode::text, [&](std::string_view lines) {
    out.append(lines);
    return true;
  });
  return read ? "" : "Can't read";
}

bool write_bytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

void write_error_text(std::string_view text) {
  std::string out;
  append_crlf(out, text);
  platform::write_standard_error(out);
}

bool read_line_blocks(std::FILE* in, read_mode mode,
                      const std::function<bool(std::string_view)>& take) {
  // The unfinished line that the last read ended in stays at the front, and the next read goes
  // after it; the buffer grows only for a line longer than a block.
  std::string buffer(block_size, '\0');
  std::size_t unfinished = 0;
  for (;;) {
    if (buffer.size() - unfinished < block_size) buffer.resize(unfinished + block_size);
    char* fresh = buffer.data() + unfinished;
    std::size_t got = std::fread(fresh, 1, block_size, in);
    if (got < block_size && std::ferror(in)) return false;
    kept_read kept = keep_read(fresh, got, mode);
    bool ended = got < block_size || kept.stopped;

    std::string_view text(buffer.data(), unfinished + kept.size);
    std::size_t last_lf = std::string_view(fresh, kept.size).rfind('\n');
    std::size_t whole = last_lf == std::string_view::npos ? 0 : unfinished + last_lf + 1;
    if (whole > 0 && !take(text.substr(0, whole))) return true;
    if (ended) {
      if (whole < text.size()) take(text.substr(whole));
      return true;
    }
    unfinished = text.size() - whole;
    std::memmove(buffer.data(), buffer.data() + whole, unfinished);
  }
}

}  // namespace drosk
