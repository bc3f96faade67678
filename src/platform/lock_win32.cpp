#include <windows.h>

#include "platform/lock.hpp"

namespace drosk::platform {
namespace {

// The locked byte lies far past any content, so that programs that read the file without locking
// (editors) are never refused; only lockers of the same byte wait for each other.
OVERLAPPED locked_range() {
  OVERLAPPED range{};
  range.Offset = 0;
  range.OffsetHigh = 0x40000000;  // 2^62
  return range;
}

}  // namespace

file_lock::file_lock(const std::string& name) : handle_(-1) {
  // Shared for reading, writing and deleting, so that an editor can still save the file; no
  // security attributes, so the handle is not inherited by the commands.
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  OVERLAPPED range = locked_range();
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range)) {
    // No locks on this file system: the run goes on without one.
    CloseHandle(file);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

file_lock::~file_lock() {
  if (handle_ == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  // Closing alone releases the lock only some time later.
  OVERLAPPED range = locked_range();
  UnlockFileEx(file, 0, 1, 0, &range);
  CloseHandle(file);
}

}  // namespace drosk::platform
