#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/lock.hpp"

namespace drosk::platform {
namespace {

// Takes the lock, waiting for it if `wait`; 0 once it is held, otherwise the error (EWOULDBLOCK
// where another holds it).
int lock_exclusively(int fd, bool wait) {
  while (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

directory_lock::directory_lock(const std::string&, const std::string& settings_file, bool wait) {
  int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd == -1 ? errno : lock_exclusively(fd, wait);
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
    fd = open(settings_file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    error = fd == -1 ? errno : lock_exclusively(fd, wait);
    if (error == 0) file_ = fd;
    if (error != 0 && fd != -1) close(fd);
  }
  busy_ = error == EWOULDBLOCK;
}

directory_lock::~directory_lock() {
  if (directory_ != -1) close(static_cast<int>(directory_));
  if (file_ != -1) close(static_cast<int>(file_));
}

}  // namespace drosk::platform
