#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/standard_error.hpp"

namespace drosk::platform {

bool write_standard_error(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(STDERR_FILENO, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written == 0) {
      return false;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{STDERR_FILENO, POLLOUT, 0};
      poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace drosk::platform
