#include <windows.h>
// After windows.h.
#include <sddl.h>

#include "platform/lock.hpp"
#include "platform/long_path_win32.hpp"

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

// The file's byte-range lock, waited for if `wait`; INVALID_HANDLE_VALUE where there is none, and
// `busy` where another holds it. Shared for reading, writing and deleting, so that an editor can
// still save the file.
HANDLE lock_file(const std::string& name, bool wait, bool& busy) {
  HANDLE file = CreateFileW(long_path(name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  OVERLAPPED range = locked_range();
  DWORD flags =
      wait ? LOCKFILE_EXCLUSIVE_LOCK : LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
  if (LockFileEx(file, flags, 0, 1, 0, &range)) return file;
  busy = GetLastError() == ERROR_LOCK_VIOLATION;  // otherwise no locks on this file system
  CloseHandle(file);
  return INVALID_HANDLE_VALUE;
}

// The directory's mutex, waited for if `wait` and owned; nullptr where it cannot be had (another
// user's that refuses access, say), and `busy` where another holds it. Global\ makes runs in
// different logon sessions take turns. Every user may wait on it, and so take it, nothing more;
// the handle is not inherited.
HANDLE lock_mutex(const std::string& directory_id, bool wait, bool& busy) {
  if (directory_id.empty()) return nullptr;
  // Everyone: SYNCHRONIZE and MUTEX_MODIFY_STATE.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100001;;;WD)",
                                                            SDDL_REVISION_1, &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  std::string name = "Global\\drosk-" + directory_id;
  HANDLE mutex = CreateMutexExA(&attributes, name.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
  LocalFree(descriptor);
  if (!mutex) return nullptr;
  // Abandoned by a run that ended without releasing it: owned now all the same.
  DWORD waited = WaitForSingleObject(mutex, wait ? INFINITE : 0);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
  busy = waited == WAIT_TIMEOUT;
  CloseHandle(mutex);
  return nullptr;
}

}  // namespace

directory_lock::directory_lock(const std::string& directory_id, const std::string& settings_file,
                               bool wait) {
  HANDLE mutex = lock_mutex(directory_id, wait, busy_);
  if (mutex) directory_ = reinterpret_cast<std::intptr_t>(mutex);
  // Runs from other machines see only the file's lock.
  if (busy_ || (mutex && GetDriveTypeA(nullptr) != DRIVE_REMOTE)) return;
  HANDLE file = lock_file(settings_file, wait, busy_);
  if (file != INVALID_HANDLE_VALUE) file_ = reinterpret_cast<std::intptr_t>(file);
}

directory_lock::~directory_lock() {
  if (file_ != -1) {
    HANDLE file = reinterpret_cast<HANDLE>(file_);
    // Closing alone releases the lock only some time later.
    OVERLAPPED range = locked_range();
    UnlockFileEx(file, 0, 1, 0, &range);
    CloseHandle(file);
  }
  if (directory_ != -1) {
    HANDLE mutex = reinterpret_cast<HANDLE>(directory_);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
}

}  // namespace drosk::platform
