#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.hpp"

namespace drosk::platform {

void prepare_process() {
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

std::FILE* open_for_reading(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return nullptr;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::FILE* open_for_writing(const std::string& name) {
  // Never through a symbolic link: a link planted under the temporary's name (beside an argument
  // file in /tmp, say) would have drosk overwrite whatever file it points to.
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd == -1) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (!file) close(fd);
  return file;
}

bool remove_file(const std::string& name) {
  return unlink(name.c_str()) == 0;
}

bool rename_file(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace drosk::platform
