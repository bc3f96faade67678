#include <windows.h>

#include "platform/files.hpp"
#include "platform/lock.hpp"
#include "platform/long_path_win32.hpp"

namespace drosk::platform {
namespace {

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The locked byte lies far past any content, so that the command log is written and read as
// usual; only lockers of the same byte wait for each other.
OVERLAPPED locked_range() {
  OVERLAPPED range{};
  range.OffsetHigh = 0x40000000;  // 2^62
  return range;
}

// Whether `name` still names the file `file`: the run before, or a command, may have removed it.
bool still_named(HANDLE file, const std::string& name) {
  HANDLE named =
      CreateFileW(long_path(name).c_str(), 0, share_all, nullptr, OPEN_EXISTING, 0, nullptr);
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
  DWORD how = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  // Opened again where the name has moved on; a name that never settles (identities that do not
  // compare) is given up on, and the run goes on unlocked.
  for (int round = 0; round < 100; ++round) {
    // Reading is access enough for the lock; no DELETE access, which the command log's _wfopen
    // does not share. Not inherited.
    HANDLE file = CreateFileW(long_path(name).c_str(), GENERIC_READ, share_all, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    created_ = GetLastError() != ERROR_ALREADY_EXISTS;
    OVERLAPPED range = locked_range();
    bool locked = LockFileEx(file, how, 0, 1, 0, &range);
    busy_ = !locked && GetLastError() == ERROR_LOCK_VIOLATION;
    // Where the file system has no locks, the file is kept all the same, to be removed at the end.
    if (!busy_ && (!locked || still_named(file, name))) {
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
  // Still empty, so no compile wrote the command log: removed while the lock is held, for the next
  // run to open the name again. Renamed aside first, since a file whose removal is pending keeps
  // its name, unopenable, until the runs that wait for it have let go.
  LARGE_INTEGER size;
  if (created_ && GetFileSizeEx(file, &size) && size.QuadPart == 0 && still_named(file, name_))
    clear_old_file(name_);
  // Closing alone releases the lock only some time later.
  OVERLAPPED range = locked_range();
  UnlockFileEx(file, 0, 1, 0, &range);
  CloseHandle(file);
}

}  // namespace drosk::platform
