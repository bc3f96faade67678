#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace drosk {

struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// Reads a whole file in text mode into `out`. Returns the empty string, or the complaint
// ("Can't open", "Can't read") to report after the file's name.
std::string_view read_text_file(const std::string& name, std::string& out);

// Writes all of `bytes`; false on a write error.
bool write_bytes(std::FILE* file, std::string_view bytes);

// Writes text to standard error with CR LF line ends. Errors are ignored: a closed standard error
// must not cost the exit status.
void write_error_text(std::string_view text);

// Reads `in` in large blocks and hands `take` whole lines, several at a time: each call gets text
// that ends just after an LF, except the last, which gets the rest of the file. A line is never
// split, so memory grows only with the longest line. With `text_mode`, carriage returns are
// dropped and a Ctrl-Z ends the file. `take` returns false to stop early. Returns false on a read
// error. With `read_ahead`, a file longer than one block is read ahead on a second thread while
// `take` works.
bool read_line_blocks(std::FILE* in, bool text_mode,
                      const std::function<bool(std::string_view)>& take, bool read_ahead = false);

}  // namespace drosk
