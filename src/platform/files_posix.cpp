#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/descriptor_link.hpp"
#include "platform/files.hpp"

// Argument files and captures may pass 2 GiB: 32-bit builds need the 64-bit file offsets.
static_assert(sizeof(off_t) == 8, "off_t is not 64 bits wide: build with _FILE_OFFSET_BITS=64");

namespace drosk::platform {

namespace {

// Opens without blocking (opening a FIFO waits for its other end) and keeps the descriptor only
// for a regular file; `info` is then the file's.
int open_regular(const std::string& name, int flags, mode_t mode, struct stat& info) {
  int fd = open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd == -1) return -1;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || fcntl(fd, F_SETFL, 0) == -1) {
    close(fd);
    return -1;
  }
  return fd;
}

std::FILE* stream(int fd, const char* mode) {
  if (fd == -1) return nullptr;
  std::FILE* file = fdopen(fd, mode);
  if (!file) close(fd);
  return file;
}

}  // namespace

std::FILE* open_for_reading(const std::string& name, file_attributes* attributes) {
  // A file to be replaced is not one behind a descriptor link: the compiler would read the
  // descriptor, and the name be replaced in vain or lead elsewhere. Looked at before it is opened,
  // since opening a device may act on it; the open file is looked at again, in case another file
  // took the name in between.
  struct stat info;
  if ((attributes && through_descriptor_link(name)) || stat(name.c_str(), &info) != 0 ||
      !S_ISREG(info.st_mode))
    return nullptr;
  std::FILE* file = stream(open_regular(name, O_RDONLY, 0, info), "rb");
  if (file && attributes) *attributes = {info.st_mode & 07777u, info.st_uid, info.st_gid};
  return file;
}

std::FILE* open_for_writing(const std::string& name) {
  // Never through a symbolic link: a link planted under the name would have drosk overwrite
  // whatever file it points to. Emptied only once it is known to be a regular file.
  struct stat info;
  int fd = open_regular(name, O_WRONLY | O_CREAT | O_NOFOLLOW, 0666, info);
  if (fd != -1 && ftruncate(fd, 0) != 0) {
    close(fd);
    fd = -1;
  }
  return stream(fd, "wb");
}

namespace {

// The descriptor that keeps the turn on the temporary's name once its stream is closed, to the
// rename; one argument file is rewritten per run.
int temporary_turn = -1;

enum class under_name { taken, in_the_way, moved_on };

// Takes the locked `fd` as this run's temporary, emptied and private, where it is still under
// `name` and fit for it (a regular file of this user's with no other name); otherwise says whether
// it is in the way there, or has moved on (renamed into place by the run before, or removed).
under_name take(int fd, const std::string& name) {
  struct stat held, named;
  if (fstat(fd, &held) != 0 || lstat(name.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
      held.st_ino != named.st_ino)
    return under_name::moved_on;
  bool fit = S_ISREG(held.st_mode) && held.st_nlink == 1 && held.st_uid == geteuid();
  return fit && fchmod(fd, 0600) == 0 && ftruncate(fd, 0) == 0 ? under_name::taken
                                                               : under_name::in_the_way;
}

}  // namespace

std::FILE* create_temporary(const std::string& name) {
  // Runs in other directories may rewrite one argument file at once. Each takes its turn on the
  // temporary's name, an flock on the file under it, so that no run empties, removes or renames
  // the temporary that another is writing; a leftover of a killed run is taken over.
  for (;;) {
    struct stat info;
    bool found = lstat(name.c_str(), &info) == 0;
    if (found && S_ISDIR(info.st_mode)) return nullptr;
    // Anything else in the way (a hard or symbolic link, a FIFO) is removed, never written into:
    // that could empty the argument file itself, or another.
    int fd = -1;
    if (!found || S_ISREG(info.st_mode))
      fd = open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd == -1 && !found) return nullptr;
    // Where the file system has no locks, the run goes on without its turn.
    while (fd != -1 && flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    under_name state = fd == -1 ? under_name::in_the_way : take(fd, name);
    if (state == under_name::taken) {
      temporary_turn = fcntl(fd, F_DUPFD_CLOEXEC, 0);
      return stream(fd, "wb");
    }
    if (fd != -1) close(fd);
    if (state == under_name::in_the_way && unlink(name.c_str()) != 0 && errno != ENOENT)
      return nullptr;
  }
}

void give_attributes(std::FILE* file, const file_attributes& attributes) {
  // Owner and group where allowed: another owner takes privilege, and the group alone is still
  // allowed to a member. The mode comes last, since a change of owner clears the set-ID bits. A
  // failure leaves the file more private than the original, never less.
  int fd = fileno(file);
  uid_t owner = attributes.owner;
  gid_t group = attributes.group;
  if (fchown(fd, owner, group) != 0 && fchown(fd, static_cast<uid_t>(-1), group) != 0) {
    // Both stay the runner's.
  }
  fchmod(fd, static_cast<mode_t>(attributes.mode));
}

bool remove_file(const std::string& name) {
  return unlink(name.c_str()) == 0;
}

bool clear_old_file(const std::string& name) {
  struct stat info;
  if (lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return true;
  // A process still writing into the old file (an orphan of a killed run) goes on doing so unseen.
  if (unlink(name.c_str()) == 0) return true;
  int fd = open_regular(name, O_WRONLY | O_NOFOLLOW, 0, info);
  bool emptied = fd != -1 && ftruncate(fd, 0) == 0;
  if (fd != -1) close(fd);
  return emptied;
}

bool no_room_for(const std::string& name) {
  struct stat info;
  bool missing = lstat(name.c_str(), &info) != 0;
  if (!missing && (!S_ISREG(info.st_mode) || info.st_size > 0)) return false;
  int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int fd = open(name.c_str(), missing ? flags | O_CREAT | O_EXCL : flags, 0666);
  if (fd == -1) return errno == ENOSPC || errno == EDQUOT;
  bool full = write(fd, "", 1) != 1 && (errno == ENOSPC || errno == EDQUOT);
  if (missing) {
    unlink(name.c_str());
  } else if (ftruncate(fd, 0) != 0) {
    // Left with its one byte: a file system that took it takes the truncation too.
  }
  close(fd);
  return full;
}

bool replace_file(const std::string& from, const std::string& to) {
  bool replaced = rename(from.c_str(), to.c_str()) == 0;
  // The next run's turn: it finds its temporary's name free.
  if (temporary_turn != -1) close(temporary_turn);
  temporary_turn = -1;
  return replaced;
}

}  // namespace drosk::platform
