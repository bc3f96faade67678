#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/lock.hpp"

namespace drosk::platform {
namespace {

// Waits for the lock; 0 once it is held, otherwise the error.
int lock_exclusively(int fd) {
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// The descriptor, once locked; -1 and closed otherwise.
int locked(int fd) {
  if (fd == -1 || lock_exclusively(fd) == 0) return fd;
  close(fd);
  return -1;
}

}  // namespace

directory_lock::directory_lock(const std::string&, const std::string& settings_file) {
  int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd == -1 ? errno : lock_exclusively(fd);
  if (error == 0) {
    directory_ = fd;
    return;
  }
  if (fd != -1) close(fd);
  // NFS locks only through a descriptor open for writing (EBADF), which a directory never is;
  // elsewhere a file system without such locks says ENOLCK, EOPNOTSUPP, ENOTSUP (the same number
  // on Linux, not everywhere) or EINVAL; a directory may not be readable (EACCES). Nothing is
  // written to the file.
  if (error == EBADF || error == ENOLCK || error == EOPNOTSUPP || error == ENOTSUP ||
      error == EINVAL || error == EACCES) {
    file_ = locked(open(settings_file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  }
}

directory_lock::~directory_lock() {
  if (directory_ != -1) close(static_cast<int>(directory_));
  if (file_ != -1) close(static_cast<int>(file_));
}

}  // namespace drosk::platform
