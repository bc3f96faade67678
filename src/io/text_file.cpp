#include "io/text_file.hpp"

#include "io/line_blocks.hpp"
#include "platform/files.hpp"
#include "platform/standard_error.hpp"

namespace drosk {

std::string_view read_text_file(const std::string& name, std::string& out) {
  file_ptr in(platform::open_for_reading(name));
  if (!in) return "Can't open";
  out.clear();
  line_blocks blocks(in.get(), read_mode::text);
  while (auto lines = blocks.next()) out.append(*lines);
  return blocks.failed() ? "Can't read" : "";
}

bool write_bytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

void write_error_text(std::string_view text) {
  std::string out;
  append_crlf(out, text);
  platform::write_standard_error(out);
}

}  // namespace drosk
