#include "mapping/capture.hpp"

#include <string>

#include "io/fatal.hpp"
#include "platform/files.hpp"

namespace drosk {

void remove_earlier_capture() {
  if (!platform::clear_old_file(std::string(capture_name)))
    fatal("%s: Can't unlink", {capture_name});
}

void end_if_capture_had_no_room(int compile_status) {
  if (compile_status != 0 && platform::no_room_for(std::string(capture_name))) {
    fatal("%s: Can't write", {capture_name});
  }
}

}  // namespace drosk
