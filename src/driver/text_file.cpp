#include "driver/text_file.hpp"

#include <cstring>
#include <memory>
#include <string>

#include "driver/text_mode.hpp"
#include "platform/files.hpp"

namespace drosk {
namespace {

constexpr std::size_t block_size = 1 << 16;
constexpr std::size_t page_size = 1 << 12;

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
  // Each read goes straight after the unfinished line that the last one left, and fills the rest
  // of the buffer; the buffer grows only for a line that leaves less than a quarter block free.
  // One block is small enough to come from the heap rather than from its own mapping.
  std::size_t capacity = block_size;
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t held = 0;
  bool ended = false;
  while (!ended) {
    if (capacity - held < block_size / 4) {
      capacity *= 2;
      auto larger = std::make_unique_for_overwrite<char[]>(capacity);
      std::memcpy(larger.get(), buffer.get(), held);
      buffer = std::move(larger);
    }
    char* fresh = buffer.get() + held;
    // Whole pages, which stdio reads straight into the buffer with one call.
    std::size_t wanted = (capacity - held) / page_size * page_size;
    std::size_t got = std::fread(fresh, 1, wanted, in);
    if (got < wanted) {
      if (std::ferror(in)) return false;
      ended = true;
    }
    if (text_mode) {
      bool stopped;
      got = keep_text_read(fresh, got, stopped);
      ended = ended || stopped;
    }
    held += got;
    // Only the fresh bytes can hold a line end.
    std::size_t last_lf = std::string_view(fresh, got).rfind('\n');
    if (last_lf != std::string_view::npos) {
      std::size_t lines = fresh + last_lf + 1 - buffer.get();
      if (!take(std::string_view(buffer.get(), lines))) return true;
      held -= lines;
      std::memmove(buffer.get(), buffer.get() + lines, held);
    }
  }
  if (held > 0) take(std::string_view(buffer.get(), held));
  return true;
}

}  // namespace drosk
