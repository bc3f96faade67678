#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/lock.hpp"

namespace drosk::platform {
namespace {

// The regular file under `name`, created where there is none (`created`); -1 where there is no
// such file to be had. Never through a link, and a FIFO is not waited on. Open for writing, since
// NFS locks only such descriptors.
int open_lock_file(const char* name, bool& created) {
  constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd;
  for (;;) {
    fd = open(name, flags | O_CREAT | O_EXCL, 0666);
    created = fd != -1;
    if (fd != -1 || errno != EEXIST) break;
    fd = open(name, flags);
    if (fd != -1 || errno != ENOENT) break;  // else removed in between: created next time
  }
  struct stat info;
  if (fd != -1 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(fd);
    return -1;
  }
  return fd;
}

// Whether `name` still names the file `fd`: the run before may have removed it before letting go.
bool still_named(int fd, const char* name) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && lstat(name, &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

}  // namespace

directory_lock::directory_lock(const std::string& name, bool wait) : name_(name) {
  for (;;) {
    int fd = open_lock_file(name.c_str(), created_);
    if (fd == -1) return;
    int locked;
    while ((locked = flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    busy_ = locked != 0 && errno == EWOULDBLOCK;
    // Where the file system has no locks, the file is kept all the same, to be removed at the end.
    if (!busy_ && (locked != 0 || still_named(fd, name.c_str()))) {
      file_ = fd;
      return;
    }
    close(fd);
    if (busy_) return;
  }
}

directory_lock::~directory_lock() {
  if (file_ == -1) return;
  int fd = static_cast<int>(file_);
  // Still empty: no compile wrote the command log. Removed while the lock is held, so that the
  // next run that takes the lock finds the name gone and opens it again.
  struct stat info;
  if (created_ && fstat(fd, &info) == 0 && info.st_size == 0) unlink(name_.c_str());
  close(fd);
}

}  // namespace drosk::platform
