#include "text/text_mode.hpp"

#include <cstring>

namespace drosk {
namespace {

// Calls `emit` with each run of `text` between separators, and whether a separator ends the run.
template <typename Emit>
void for_each_run(std::string_view text, char separator, Emit emit) {
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const void* hit = std::memchr(text.data() + pos, separator, text.size() - pos);
    std::size_t end = hit ? static_cast<const char*>(hit) - text.data() : text.size();
    emit(text.substr(pos, end - pos), hit != nullptr);
    if (!hit) break;
    pos = end + 1;
  }
}

}  // namespace

read_mode_result apply_read_mode(char* data, std::size_t size, read_mode mode) {
  if (mode == read_mode::bytes || size == 0) return {size, false};
  bool stopped = false;
  if (mode == read_mode::text) {
    if (const void* z = std::memchr(data, ctrl_z, size)) {
      stopped = true;
      size = static_cast<const char*>(z) - data;
    }
  }
  // Most text has no CR at all: then one search is all it costs.
  char* to = static_cast<char*>(std::memchr(data, '\r', size));
  if (!to) return {size, stopped};
  for_each_run(std::string_view(to + 1, data + size - (to + 1)), '\r',
               [&](std::string_view run, bool) {
                 std::memmove(to, run.data(), run.size());
                 to += run.size();
               });
  return {static_cast<std::size_t>(to - data), stopped};
}

void append_crlf(std::string& out, std::string_view text) {
  for_each_run(text, '\n', [&](std::string_view run, bool line_end) {
    out.append(run);
    if (line_end) out.append("\r\n");
  });
}

void append_lf_line_ends(std::string& out, std::string_view raw) {
  out.reserve(out.size() + raw.size());
  for_each_run(raw, '\n', [&](std::string_view run, bool line_end) {
    if (line_end && !run.empty() && run.back() == '\r') run.remove_suffix(1);
    out.append(run);
    if (line_end) out.push_back('\n');
  });
}

}  // namespace drosk
