#include "mapping/rewrite_arg_file.hpp"

#include <optional>

#include "driver/fatal.hpp"
#include "driver/map_file_lines.hpp"
#include "driver/text_file.hpp"
#include "driver/text_mode.hpp"
#include "mapping/replace_all.hpp"
#include "mapping/rewrite_arguments.hpp"
#include "platform/command_line.hpp"
#include "platform/files.hpp"

namespace drosk {

void rewrite_arg_lines(std::string_view raw, const Settings& settings, std::string& scratch,
                       std::string& out) {
  // Line ends are made lone LFs before the substitution, so that a lone CR that the substitution
  // brings next to an LF is still kept as a byte of the line. Most argument files have no CR.
  std::string_view lines = raw;
  if (raw.find('\r') != std::string_view::npos) {
    scratch.clear();
    append_lf_line_ends(scratch, raw);
    lines = scratch;
  }
  assign_replaced_crlf(out, lines, settings.source, settings.build);
}

void rewrite_arg_file(const std::vector<std::string>& args, const Settings& settings,
                      std::string& work) {
  std::optional<std::string> name = platform::find_arg_file(args);
  if (!name) return;
  if (name->empty()) fatal("%s: Can't open", {*name});
  std::string temporary = temporary_name(*name);

  platform::file_attributes attributes;
  file_ptr in(platform::open_regular_for_reading(*name, attributes));
  if (!in) fatal("%s: Can't open", {*name});
  file_ptr out(platform::create_temporary(temporary));
  if (!out) fatal("%s: Can't open", {temporary});

  std::string scratch;
  // The new file is as large as the old: its writing, the larger part of the system's work, is
  // done behind the mapping.
  lines_mapped rewritten = map_file_lines(
      in.get(), false, out.get(), work, overlap::writing,
      [&](auto raw, auto& lines) { rewrite_arg_lines(raw, settings, scratch, lines); });
  in.reset();
  bool read = rewritten.read;
  // Only the complete copy, about to take the argument file's place, is as readable as that was.
  if (read && rewritten.written) platform::give_attributes(out.get(), attributes);
  bool written = std::fclose(out.release()) == 0 && rewritten.written;
  if (!read || !written) {
    platform::remove_file(temporary);
    if (!read) fatal("%s: Can't read", {*name});
    fatal("%s: Can't write", {temporary});
  }

  // Left as they are on failure: the argument file unchanged, its rewritten copy beside it.
  if (!platform::replace_file(temporary, *name)) fatal("%s: Cant rename", {temporary});
}

}  // namespace drosk
