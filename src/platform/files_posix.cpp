#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/descriptor_link.hpp"
#include "platform/files.hpp"
#include "platform/run_command.hpp"

// Argument files and captures may pass 2 GiB: 32-bit builds need the 64-bit file offsets.
static_assert(sizeof(off_t) == 8, "off_t is not 64 bits wide: build with _FILE_OFFSET_BITS=64");

namespace drosk::platform {

void prepare_process() {
  // First, while every signal is still as drosk inherited it.
  prepare_commands();
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) {
      // Opened in turn, /dev/null takes exactly the lowest closed descriptor.
      open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
  }
  // A broken standard error or a file-size limit becomes a write error that drosk handles.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

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

std::FILE* open_for_reading(const std::string& name) {
  // Looked at first, as below: a FIFO would block the open, and a device could be read forever.
  struct stat info;
  if (stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return stream(open_regular(name, O_RDONLY, 0, info), "rb");
}

std::FILE* open_regular_for_reading(const std::string& name, file_attributes& attributes) {
  // The compiler would read the descriptor, and the name be replaced in vain or lead elsewhere.
  if (through_descriptor_link(name)) return nullptr;
  // Looked at before it is opened: opening a FIFO blocks, and opening a device acts on it. The open
  // file is looked at again, in case another file took the name in between.
  struct stat info;
  if (stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  std::FILE* file = stream(open_regular(name, O_RDONLY, 0, info), "rb");
  if (file) attributes = {info.st_mode & 07777u, info.st_uid, info.st_gid};
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

std::FILE* create_temporary(const std::string& name) {
  // Whatever else stands there (a file, a hard or symbolic link, a FIFO) is in the way: writing
  // into it could empty the argument file itself, or another.
  struct stat info;
  if (lstat(name.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return nullptr;
    unlink(name.c_str());
  }
  return stream(open_regular(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600, info), "wb");
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
  return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace drosk::platform
