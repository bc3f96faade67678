#include "mapping/rewrite_arg_file.hpp"

#include <optional>

#include "io/fatal.hpp"
#include "io/file_ptr.hpp"
#include "io/line_blocks.hpp"
#include "platform/files.hpp"
#include "text/replace_all.hpp"
#include "text/text_mode.hpp"

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
  append_replaced_crlf(settings.source, settings.build, lines, out);
}

std::string temporary_name(const std::string& name) {
  std::string temporary = name;
  temporary.back() = temporary.back() == '_' ? '~' : '_';
  return temporary;
}

void rewrite_arg_file(const std::optional<std::string>& name, const Settings& settings) {
  if (!name) return;
  if (name->empty()) fatal("%s: Can't open", {*name});
  std::string temporary = temporary_name(*name);

  platform::file_attributes attributes;
  file_ptr in(platform::open_for_reading(*name, &attributes));
  if (!in) fatal("%s: Can't open", {*name});
  // Closed while this run waits for its turn on the temporary, and opened again after: a run in
  // another directory may replace the argument file meanwhile (on Windows, not while it is open),
  // and its rewrite is what this one rewrites on.
  in.reset();
  file_ptr out(platform::create_temporary(temporary));
  if (!out) fatal("%s: Can't open", {temporary});
  in.reset(platform::open_for_reading(*name, &attributes));
  if (!in) {
    platform::remove_file(temporary);
    fatal("%s: Can't open", {*name});
  }

  line_blocks blocks(in.get(), read_mode::bytes);
  std::string scratch, lines;
  bool written = true;
  while (auto raw = blocks.next()) {
    lines.clear();
    rewrite_arg_lines(*raw, settings, scratch, lines);
    written = write_bytes(out.get(), lines);
    if (!written) break;
  }
  bool read = !blocks.failed();
  in.reset();
  // Only the complete copy, about to take the argument file's place, is as readable as that was.
  if (read && written) platform::give_attributes(out.get(), attributes);
  written = std::fclose(out.release()) == 0 && written;
  if (!read || !written) {
    platform::remove_file(temporary);
    if (!read) fatal("%s: Can't read", {*name});
    fatal("%s: Can't write", {temporary});
  }

  // Left as they are on failure: the argument file unchanged, its rewritten copy beside it.
  // "Cant" without its apostrophe is the message as tools that match it know it.
  if (!platform::replace_file(temporary, *name)) fatal("%s: Cant rename", {temporary});
}

}  // namespace drosk
