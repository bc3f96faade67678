#include <windows.h>

#include "platform/standard_error.hpp"

namespace drosk::platform {

// Started without a standard error (from a GUI), there is no handle, and nothing is written.
bool write_standard_error(std::string_view bytes) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    if (!WriteFile(err, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace drosk::platform
