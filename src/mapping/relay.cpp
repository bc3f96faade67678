#include "mapping/relay.hpp"

#include "driver/fatal.hpp"
#include "driver/map_file_lines.hpp"
#include "driver/text_file.hpp"
#include "driver/text_mode.hpp"
#include "mapping/replace_all.hpp"
#include "platform/files.hpp"

namespace drosk {

void map_message_lines(std::string_view lines, const Settings& settings, std::string& out) {
  assign_replaced_crlf(out, lines, settings.build, settings.source);
}

void write_command_log(const std::string& work) {
  file_ptr log(platform::open_for_writing("__drosk__.log"));
  if (!log) return;
  std::string text;
  append_crlf(text, work);
  write_bytes(log.get(), text);
}

void relay_compiler_errors(const Settings& settings, std::string& work) {
  file_ptr in(platform::open_for_reading("__stderr__.log"));
  if (!in) fatal("__stderr__.log: Can't open ");
  // A large capture file is read ahead on a second thread: reading it is the larger part of the
  // system's work, standard error being a stream. A write error ends the relay but is not
  // reported: a closed standard error must not cost the exit status.
  lines_mapped relayed =
      map_file_lines(in.get(), true, stderr, work, overlap::reading,
                     [&](auto lines, auto& out) { map_message_lines(lines, settings, out); });
  if (!relayed.read) fatal("__stderr__.log: Can't read");
}

}  // namespace drosk
