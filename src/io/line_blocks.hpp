#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "text/text_mode.hpp"

namespace drosk {

// How much one read asks for. The unfinished line at a block's end waits for the next, so memory
// grows past this only with the longest line.
constexpr std::size_t block_size = 64 << 10;

// Reads a file block by block as `mode` says and hands it over as whole lines, several at a time:
//   line_blocks blocks(in, mode);
//   while (auto lines = blocks.next()) ...
// Each text ends just after an LF, except the last, which is the rest of the file. A text stays
// valid until the next call.
class line_blocks {
 public:
  line_blocks(std::FILE* in, read_mode mode) : in_(in), mode_(mode) {}

  // The next lines; none at the end of the file or on a read error.
  std::optional<std::string_view> next();
  // Whether reading stopped at a read error; asked while the file is open.
  bool failed() const { return std::ferror(in_) != 0; }

 private:
  std::FILE* in_;
  read_mode mode_;
  // The text read and not yet handed over stays at the front, and the next read goes after it;
  // the buffer grows only for a line longer than a block.
  std::string buffer_;
  std::size_t kept_ = 0;
  std::size_t handed_ = 0;
  bool ended_ = false;
};

}  // namespace drosk
