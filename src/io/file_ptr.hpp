#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

namespace drosk {

// An open file, closed when it goes.
struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// Writes all of `bytes`; false on a write error.
inline bool write_bytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace drosk
