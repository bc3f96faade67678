#include "io/text_file.hpp"

#include "io/fatal.hpp"
#include "io/file_ptr.hpp"
#include "io/line_blocks.hpp"
#include "platform/files.hpp"

namespace drosk {

std::string read_text_file(const std::string& name) {
  file_ptr in(platform::open_for_reading(name));
  if (!in) fatal("%s: Can't open", {name});
  std::string text;
  line_blocks blocks(in.get(), read_mode::text);
  while (auto lines = blocks.next()) text.append(*lines);
  if (blocks.failed()) fatal("%s: Can't read", {name});
  return text;
}

}  // namespace drosk
