#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/lock.hpp"

namespace drosk::platform {
namespace {

// The file under `name`, created where there is none (`created`); -1 where it cannot be opened.
// Open for writing, since NFS locks only such descriptors; never through a link, and a FIFO is
// not waited on.
int open_lock_file(const char* name, bool& created) {
  constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  for (;;) {
    int fd = open(name, flags | O_CREAT | O_EXCL, 0666);
    if ((created = fd != -1) || errno != EEXIST) return fd;
    fd = open(name, flags);
    if (fd != -1 || errno != ENOENT) return fd;  // else removed in between: created next time
  }
}

// Whether `name` still names the open file `fd`: the run before, or a command, may have removed or
// renamed it.
bool still_named(int fd, const char* name) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && lstat(name, &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

}  // namespace

directory_lock::directory_lock(const std::string& name, bool wait) : name_(name) {
  // Opened again where the name has moved on; a name that never settles (identities that do not
  // compare) is given up on, and the run goes on unlocked.
  for (int round = 0; round < 100; ++round) {
    int fd = open_lock_file(name.c_str(), created_);
    struct stat held;
    if (fd == -1 || fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      if (fd != -1) close(fd);
      return;
    }
    int locked;
    while ((locked = flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR)
      continue;
    busy_ = locked != 0 && errno == EWOULDBLOCK;
    // The run before may have removed the file before letting go: the name is opened again.
    bool gone = locked == 0 && !still_named(fd, name.c_str());
    // Where the file system has no locks, the file is kept all the same, to be removed at the end.
    if (busy_ || gone)
      close(fd);
    else
      file_ = fd;
    if (!gone) return;
  }
}

directory_lock::~directory_lock() {
  if (file_ == -1) return;
  // Still empty, so no compile wrote the command log: removed while the lock is held, for the next
  // run to open the name again. Not where a command removed or renamed it: the name may be a new
  // log then.
  int fd = static_cast<int>(file_);
  struct stat info;
  if (created_ && fstat(fd, &info) == 0 && info.st_size == 0 && still_named(fd, name_.c_str()))
    unlink(name_.c_str());
  close(fd);
}

}  // namespace drosk::platform
