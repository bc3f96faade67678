#include <windows.h>

#include "platform/lock.hpp"
#include "platform/long_path_win32.hpp"

namespace drosk::platform {
namespace {

// The locked byte lies far past any content, so that the command log is written and read as
// usual; only lockers of the same byte wait for each other.
OVERLAPPED locked_range() {
  OVERLAPPED range{};
  range.OffsetHigh = 0x40000000;  // 2^62
  return range;
}

// The file under `path`, created where there is none (`created`). Shared for all, and without
// DELETE access, so that the command log's _wfopen, which does not share deleting, can open it.
HANDLE open_lock_file(const std::wstring& path, bool& created) {
  HANDLE file = INVALID_HANDLE_VALUE;
  for (DWORD how : {CREATE_NEW, OPEN_EXISTING}) {
    file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, how,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    created = how == CREATE_NEW;
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

// Whether `path` still names the file `file`: the run before may have removed it before letting
// go, and a file whose removal is pending cannot be opened.
bool still_named(HANDLE file, const std::wstring& path) {
  HANDLE named =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  BY_HANDLE_FILE_INFORMATION a, b;
  bool same = named != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &a) &&
              GetFileInformationByHandle(named, &b) &&
              a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
              a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
  if (named != INVALID_HANDLE_VALUE) CloseHandle(named);
  return same;
}

}  // namespace

directory_lock::directory_lock(const std::string& name, bool wait) : name_(name) {
  std::wstring path = long_path(name);
  for (;;) {
    HANDLE file = open_lock_file(path, created_);
    if (file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED range = locked_range();
    DWORD flags =
        wait ? LOCKFILE_EXCLUSIVE_LOCK : LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
    bool locked = LockFileEx(file, flags, 0, 1, 0, &range);
    busy_ = !locked && GetLastError() == ERROR_LOCK_VIOLATION;
    // Where the file system has no locks, the file is kept all the same, to be removed at the end.
    if (!busy_ && (!locked || still_named(file, path))) {
      file_ = reinterpret_cast<std::intptr_t>(file);
      return;
    }
    if (locked) UnlockFileEx(file, 0, 1, 0, &range);
    CloseHandle(file);
    if (busy_) return;
  }
}

directory_lock::~directory_lock() {
  if (file_ == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(file_);
  // Still empty: no compile wrote the command log. Removed while the lock is held, so that the
  // next run that takes the lock finds the name gone and opens it again.
  LARGE_INTEGER size;
  if (created_ && GetFileSizeEx(file, &size) && size.QuadPart == 0)
    DeleteFileW(long_path(name_).c_str());
  // Closing alone releases the lock only some time later.
  OVERLAPPED range = locked_range();
  UnlockFileEx(file, 0, 1, 0, &range);
  CloseHandle(file);
}

}  // namespace drosk::platform
