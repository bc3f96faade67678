// The argument-file line rewrite: against a plain per-line reference, the same whatever whole-line
// blocks the file arrives in, every line end written CR LF, and no byte lost when source and
// build are the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "mapping/rewrite_arg_file.hpp"
#include "support/reference_replace.hpp"

namespace {

// Line by line: a line ends at an LF, and a CR just before it belongs to the line end; the line
// is substituted and written with CR LF; a last line without LF stays without one.
std::string reference_rewrite(std::string_view raw, std::string_view source,
                              std::string_view build) {
  std::string out;
  for (;;) {
    std::size_t lf = raw.find('\n');
    if (lf == std::string_view::npos) return out + drosk::reference_replace(raw, source, build);
    std::string_view line = raw.substr(0, lf);
    if (line.ends_with('\r')) line.remove_suffix(1);
    out += drosk::reference_replace(line, source, build) + "\r\n";
    raw.remove_prefix(lf + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace drosk;
  auto fields = fuzz::cut_input(data, size, 3);
  Settings settings{"pre", "javac", fuzz::ini_value(fields[0]), fuzz::ini_value(fields[1])};
  std::size_t lines_per_block = static_cast<unsigned char>(fields[2].empty() ? 1 : fields[2][0]);
  std::string_view raw = fields[3];

  std::string scratch, out;
  rewrite_arg_lines(raw, settings, scratch, out);
  fuzz::require(out == reference_rewrite(raw, settings.source, settings.build),
                "rewrite differs from the per-line reference");

  std::size_t line_ends = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] != '\n') continue;
    fuzz::require(i > 0 && out[i - 1] == '\r', "a line end written without its CR");
    ++line_ends;
  }
  std::size_t lfs_in = 0;
  for (char c : raw) lfs_in += c == '\n';
  fuzz::require(line_ends == lfs_in, "lines gained or lost");

  if (settings.source == settings.build) {
    std::string same;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) same += '\r';
      same += raw[i];
    }
    fuzz::require(out == same, "a byte lost or changed with nothing to replace");
  }

  // As the file is read: blocks of whole lines, the last one the rest; the buffers reused.
  std::string pieced;
  std::string_view rest = raw;
  while (!rest.empty()) {
    std::size_t end = 0;
    for (std::size_t n = 0; n < lines_per_block % 4 + 1; ++n) {
      std::size_t lf = rest.find('\n', end);
      end = lf == std::string_view::npos ? rest.size() : lf + 1;
      if (end == rest.size()) break;
    }
    out.clear();
    rewrite_arg_lines(rest.substr(0, end), settings, scratch, out);
    pieced += out;
    rest.remove_prefix(end);
  }
  out.clear();
  rewrite_arg_lines(raw, settings, scratch, out);
  fuzz::require(pieced == out, "the rewrite depends on how the file is cut into blocks");
  return 0;
}
