#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "platform/files.hpp"
#include "platform/long_path_win32.hpp"

// Every name goes through long_path, so that a file deep in a build folder opens as one near the
// root does.
namespace drosk::platform {

namespace {

// A C stream over a handle of CreateFileW; nullptr, with the handle closed, when there is none.
std::FILE* stream(HANDLE handle, int flags, const char* mode) {
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (fd == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, mode);
  if (!file) _close(fd);
  return file;
}

}  // namespace

std::FILE* open_for_reading(const std::string& name, file_attributes* attributes) {
  // Looked at before it is opened, so that a device name (NUL, CON, COM1) is refused unopened where
  // the attributes tell; the open handle is looked at again, which refuses a pipe or a device.
  std::wstring path = long_path(name);
  DWORD kind = GetFileAttributesW(path.c_str());
  if (kind == INVALID_FILE_ATTRIBUTES ||
      (kind & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return nullptr;
  // Shared for deletion, so that a hard link to it under the temporary's name can be removed.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = stream(handle, _O_RDONLY, "rb");
  if (file && attributes) attributes->mode = kind;
  return file;
}

std::FILE* open_for_writing(const std::string& name) {
  return _wfopen(long_path(name).c_str(), L"wb");
}

namespace {

// A handle that keeps the turn on the temporary's name once its stream is closed, to the rename.
HANDLE temporary_turn = INVALID_HANDLE_VALUE;

// Whether a run is writing the file under `path`: it holds it unshared for writing.
bool being_written(const std::wstring& path) {
  HANDLE probe = CreateFileW(path.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  return probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

std::FILE* create_temporary(const std::string& name) {
  // Runs in other directories may rewrite one argument file at once: each waits while another
  // writes the temporary, which it holds open to the rename.
  std::wstring path = long_path(name);
  for (;;) {
    // Whatever else stands there is in the way, a read-only file too. A link is removed, not
    // followed: its attributes are its own.
    DWORD kind = GetFileAttributesW(path.c_str());
    if (kind != INVALID_FILE_ATTRIBUTES) {
      if (kind & FILE_ATTRIBUTE_DIRECTORY) return nullptr;
      if (being_written(path)) {
        Sleep(10);
        continue;
      }
      if ((kind & FILE_ATTRIBUTE_READONLY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT))
        SetFileAttributesW(path.c_str(), kind & ~FILE_ATTRIBUTE_READONLY);
      DeleteFileW(path.c_str());
    }
    // Shared for reading, since it is held on past the rename that makes it the argument file; not
    // for writing, which marks it as being written. It can be renamed while open.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Another run took the name first: it is that one's turn.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
        being_written(path))
      continue;
    HANDLE self = GetCurrentProcess();
    if (handle != INVALID_HANDLE_VALUE)
      DuplicateHandle(self, handle, self, &temporary_turn, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return stream(handle, 0, "wb");
  }
}

void give_attributes(std::FILE* file, const file_attributes& attributes) {
  // The handle was opened for writing, so it still writes once the file is read-only.
  FILE_BASIC_INFO info{};
  info.FileAttributes =
      attributes.mode & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (info.FileAttributes == 0) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
}

bool remove_file(const std::string& name) {
  return DeleteFileW(long_path(name).c_str()) != 0;
}

bool clear_old_file(const std::string& name) {
  std::wstring path = long_path(name);
  DWORD kind = GetFileAttributesW(path.c_str());
  if (kind == INVALID_FILE_ATTRIBUTES ||
      (kind & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)))
    return true;
  std::wstring aside = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(GetTickCount64()) + L".old";
  if (MoveFileExW(path.c_str(), aside.c_str(), 0)) {
    SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(aside.c_str());
    return true;
  }
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// Not told on Windows.
bool no_room_for(const std::string&) {
  return false;
}

// One rename over the old file. A read-only file is not replaced, as it could not be deleted (Wine
// would replace it).
bool replace_file(const std::string& from, const std::string& to) {
  std::wstring target = long_path(to);
  DWORD kind = GetFileAttributesW(target.c_str());
  bool replaced = kind == INVALID_FILE_ATTRIBUTES || !(kind & FILE_ATTRIBUTE_READONLY);
  // A file that another program holds open unshared for deleting (a compile of another run reading
  // the argument file) is not replaced meanwhile: tried again for up to two seconds.
  for (int tries = 0; replaced; ++tries) {
    if (MoveFileExW(long_path(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) break;
    DWORD error = GetLastError();
    replaced = tries < 200 && (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION);
    if (replaced) Sleep(10);
  }
  // The next run's turn: it finds its temporary's name free.
  if (temporary_turn != INVALID_HANDLE_VALUE) CloseHandle(temporary_turn);
  temporary_turn = INVALID_HANDLE_VALUE;
  return replaced;
}

}  // namespace drosk::platform
