#include "io/text_file.hpp"

#include "io/file_ptr.hpp"
#include "io/line_blocks.hpp"
#include "platform/files.hpp"

namespace drosk {

std::string_view read_text_file(const std::string& name, std::string& out) {
  file_ptr in(platform::open_for_reading(name));
  if (!in) return "Can't open";
  out.clear();
  line_blocks blocks(in.get(), read_mode::text);
  while (auto lines = blocks.next()) out.append(*lines);
  return blocks.failed() ? "Can't read" : "";
}

}  // namespace drosk
