#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/text_mode.hpp"

namespace drosk {

struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// How much one read asks for. The unfinished line at a block's end waits for the next, so memory
// grows past this only with the longest line.
constexpr std::size_t block_size = 64 << 10;

// Reads a whole file in text mode into `out`. Returns the empty string, or the complaint
// ("Can't open", "Can't read") to report after the file's name.
std::string_view read_text_file(const std::string& name, std::string& out);

// Writes all of `bytes`; false on a write error.
bool write_bytes(std::FILE* file, std::string_view bytes);

// Writes text to standard error with CR LF line ends. Errors are ignored: a closed standard error
// must not cost the exit status.
void write_error_text(std::string_view text);

// Reads `in` block by block as `mode` says and hands `take` whole lines, several at a time: each
// call gets text that ends just after an LF, except the last, which gets the rest of the file.
// `take` returns false to stop early. Returns false on a read error.
bool read_line_blocks(std::FILE* in, read_mode mode,
                      const std::function<bool(std::string_view)>& take);

}  // namespace drosk
