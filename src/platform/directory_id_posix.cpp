#include <sys/stat.h>

#include "platform/directory_id.hpp"

namespace drosk::platform {

std::string current_directory_id() {
  struct stat info;
  if (stat(".", &info) != 0) return {};
  return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}

}  // namespace drosk::platform
