#include "mapping/relay.hpp"

#include "io/fatal.hpp"
#include "io/file_ptr.hpp"
#include "io/line_blocks.hpp"
#include "mapping/capture.hpp"
#include "platform/files.hpp"
#include "platform/standard_error.hpp"
#include "text/replace_all.hpp"

namespace drosk {

void map_message_lines(std::string_view lines, const Settings& settings, std::string& out) {
  append_replaced_crlf(settings.build, settings.source, lines, out);
}

void relay_compiler_errors(const Settings& settings, bool cancelled) {
  file_ptr in(platform::open_for_reading(std::string(capture_name)));
  if (!in && cancelled) return;
  // The blank at the end is part of the message, as tools that match it know it.
  if (!in) fatal("%s: Can't open ", {capture_name});
  // Carriage returns are dropped, but a Ctrl-Z is carried on: javac quotes source lines, which may
  // hold one, and every message after it would be lost. A write error ends the relay but is not
  // reported: a closed standard error must not cost the exit status.
  line_blocks blocks(in.get(), read_mode::text_past_eof);
  std::string relayed;
  while (auto lines = blocks.next()) {
    relayed.clear();
    map_message_lines(*lines, settings, relayed);
    if (!platform::write_standard_error(relayed)) break;
  }
  if (blocks.failed()) fatal("%s: Can't read", {capture_name});
}

}  // namespace drosk
