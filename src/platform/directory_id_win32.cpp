#include <windows.h>

#include "platform/directory_id.hpp"

namespace drosk::platform {

std::string current_directory_id() {
  // A directory opens only with backup semantics; no access is asked for beyond its attributes.
  HANDLE dir =
      CreateFileA(".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info;
  BOOL got = GetFileInformationByHandle(dir, &info);
  CloseHandle(dir);
  if (!got) return {};
  unsigned long long index =
      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(index);
}

}  // namespace drosk::platform
