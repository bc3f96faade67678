#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/descriptor_link.hpp"

#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/statfs.h>
#include <sys/syscall.h>

#include <climits>
#endif

namespace drosk::platform {

#ifdef __linux__

namespace {

// The length of the name's first part that is a symbolic link; 0 when there is none, or when a part
// cannot be looked at (the open that follows fails by itself).
std::size_t first_link(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    std::string part = path.substr(0, end);
    struct stat info;
    if (lstat(part.c_str(), &info) != 0) return 0;
    if (S_ISLNK(info.st_mode)) return part.size();
    if (end == std::string::npos) return 0;
  }
}

}  // namespace

bool through_proc_link(const std::string& name) {
  std::string path = name;
  // As many links as the kernel follows; past them the name cannot be opened anyway.
  for (int links = 0; links < 40; ++links) {
    std::size_t length = first_link(path);
    if (length == 0) return false;
    std::string link = path.substr(0, length);
    std::size_t slash = link.rfind('/');
    std::string parent = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : link.substr(0, slash);
    struct statfs where;
    if (statfs(parent.c_str(), &where) == 0 && where.f_type == PROC_SUPER_MAGIC) return true;
    char target[PATH_MAX];
    ssize_t got = readlink(link.c_str(), target, sizeof target);
    if (got <= 0) return false;
    std::string followed(target, static_cast<std::size_t>(got));
    if (followed[0] != '/') followed = parent + "/" + followed;
    path = followed + path.substr(length);
  }
  return false;
}

bool through_descriptor_link(const std::string& name) {
  // O_PATH opens nothing but the name, so a FIFO or a device is not acted on.
  struct open_how how {};
  how.flags = O_PATH | O_CLOEXEC;
  how.resolve = RESOLVE_NO_MAGICLINKS;
  long fd = syscall(SYS_openat2, AT_FDCWD, name.c_str(), &how, sizeof how);
  if (fd >= 0) {
    close(static_cast<int>(fd));
    return false;
  }
  // EPERM: a seccomp filter older than the call.
  if (errno == ENOSYS || errno == EPERM) return through_proc_link(name);
  return errno == ELOOP;
}

#else

// No /proc: /dev/fd is the system's own.
bool through_proc_link(const std::string&) {
  return false;
}

bool through_descriptor_link(const std::string&) {
  return false;
}

#endif

}  // namespace drosk::platform
