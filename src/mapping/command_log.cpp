#include "mapping/command_log.hpp"

#include <string>

#include "io/file_ptr.hpp"
#include "platform/files.hpp"
#include "text/text_mode.hpp"

namespace drosk {

void write_command_log(std::string_view compile_command) {
  file_ptr log(platform::open_for_writing(command_log_name));
  if (!log) return;
  std::string text;
  append_crlf(text, compile_command);
  write_bytes(log.get(), text);
}

}  // namespace drosk
