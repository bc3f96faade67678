#include <fcntl.h>
#include <signal.h>

#include "platform/process.hpp"
#include "platform/run_command.hpp"

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

}  // namespace drosk::platform
