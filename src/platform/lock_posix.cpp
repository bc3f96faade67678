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

}  // namespace

file_lock::file_lock(const std::string& name) : handle_(-1) {
  // O_NONBLOCK: a FIFO in the file's place must not keep the open waiting for a writer.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = open(name.c_str(), O_RDONLY | flags);
  if (fd == -1) return;
  int error = lock_exclusively(fd);
  if (error == EBADF) {
    // NFS locks a file only through a descriptor open for writing; nothing is written.
    close(fd);
    fd = open(name.c_str(), O_RDWR | flags);
    if (fd == -1) return;
    error = lock_exclusively(fd);
  }
  // ENOLCK, EOPNOTSUPP, EINVAL and the like: no locks here, so the run goes on without one.
  if (error != 0) {
    close(fd);
    return;
  }
  handle_ = fd;
}

file_lock::~file_lock() {
  if (handle_ != -1) close(static_cast<int>(handle_));
}

}  // namespace drosk::platform
