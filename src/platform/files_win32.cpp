#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/files.hpp"

namespace drosk::platform {

void prepare_process() {
  // drosk writes CR LF itself; the C runtime must not add a second CR. Started without a standard
  // error (from a GUI), there is no descriptor, and the C runtime would treat it as a fault.
  if (_fileno(stderr) >= 0) _setmode(_fileno(stderr), _O_BINARY);
}

// Opening a directory fails on Windows, so no check is needed here.
std::FILE* open_for_reading(const std::string& name) {
  return std::fopen(name.c_str(), "rb");
}

std::FILE* open_for_writing(const std::string& name) {
  return std::fopen(name.c_str(), "wb");
}

// A read-only file cannot be deleted; that is reported, not overridden.
bool remove_file(const std::string& name) {
  return DeleteFileA(name.c_str()) != 0;
}

bool rename_file(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

}  // namespace drosk::platform
