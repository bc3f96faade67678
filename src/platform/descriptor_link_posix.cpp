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

bool through_proc_link(const std::string& name) {
  std::string path = name;
  int links = 0;
  // Each part of the name in turn; the name starts again with a link's target in its place.
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    std::string part = path.substr(0, end);
    struct stat info;
    // A part that cannot be looked at: the open that follows fails by itself.
    if (lstat(part.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) {
      std::size_t slash = part.rfind('/');
      std::string parent = slash == std::string::npos ? "." : part.substr(0, slash ? slash : 1);
      struct statfs where;
      if (statfs(parent.c_str(), &where) == 0 && where.f_type == PROC_SUPER_MAGIC) return true;
      char target[PATH_MAX];
      ssize_t got = readlink(part.c_str(), target, sizeof target);
      // As many links as the kernel follows; past them the name cannot be opened anyway.
      if (got <= 0 || ++links > 40) return false;
      std::string rest = end == std::string::npos ? "" : path.substr(end);
      path = (target[0] == '/' ? "" : parent + "/") + std::string(target, got) + rest;
      end = 0;
    } else if (end == std::string::npos) {
      return false;
    }
  }
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
