#pragma once

#include <cstdio>
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

}  // namespace drosk
