#include "mapping/capture_space.hpp"

#include "io/fatal.hpp"
#include "platform/files.hpp"

namespace drosk {

void check_capture_space(int compile_status) {
  if (compile_status != 0 && platform::no_room_for("__stderr__.log")) {
    fatal("__stderr__.log: Can't write");
  }
}

}  // namespace drosk
