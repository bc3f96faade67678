#include "driver/text_file.hpp"

#include <memory>
#include <string>

#include "driver/text_mode.hpp"
#include "platform/files.hpp"

namespace drosk {
namespace {

constexpr std::size_t block_size = 1 << 16;

}  // namespace

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
                      const std::function<bool(std::string_view)>& take) {
  std::string pending;
  auto block = std::make_unique<char[]>(block_size);
  bool ended = false;
  while (!ended) {
    std::size_t got = std::fread(block.get(), 1, block_size, in);
    if (got < block_size) {
      if (std::ferror(in)) return false;
      ended = true;
    }
    std::string_view raw(block.get(), got);
    if (text_mode) {
      ended = append_text_read(pending, raw) || ended;
    } else {
      pending.append(raw);
    }
    std::size_t last_lf = pending.rfind('\n');
    if (last_lf != std::string::npos) {
      if (!take(std::string_view(pending).substr(0, last_lf + 1))) return true;
      pending.erase(0, last_lf + 1);
    }
  }
  if (!pending.empty()) take(pending);
  return true;
}

}  // namespace drosk
