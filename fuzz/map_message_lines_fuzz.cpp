// The relay's line mapping: the compiler's output as text mode reads it, mapped build to source,
// against a plain per-line reference, with CR LF line ends and nothing else changed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "mapping/relay.hpp"
#include "support/reference_replace.hpp"

namespace {

// What the relay reads of the capture file: every CR dropped, every other byte kept, a Ctrl-Z
// included.
std::string text_read(std::string_view raw) {
  std::string text;
  for (char c : raw) {
    if (c != '\r') text += c;
  }
  return text;
}

std::string reference_map(std::string_view text, std::string_view build, std::string_view source) {
  std::string out;
  for (;;) {
    std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) return out + drosk::reference_replace(text, build, source);
    out += drosk::reference_replace(text.substr(0, lf), build, source) + "\r\n";
    text.remove_prefix(lf + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace drosk;
  auto fields = fuzz::cut_input(data, size, 2);
  Settings settings{"pre", "javac", fuzz::ini_value(fields[0]), fuzz::ini_value(fields[1])};
  std::string text = text_read(fields[2]);

  const std::string before = "kept from an earlier block";
  std::string out = before;
  map_message_lines(text, settings, out);
  fuzz::require(out.starts_with(before), "what the output held is lost");
  out.erase(0, before.size());
  fuzz::require(out == reference_map(text, settings.build, settings.source),
                "mapping differs from the per-line reference");
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') fuzz::require(i + 1 < out.size() && out[i + 1] == '\n', "a lone CR");
    if (out[i] == '\n') fuzz::require(i > 0 && out[i - 1] == '\r', "a line end without its CR");
  }
  if (settings.build == settings.source) {
    std::string same;
    for (char c : text) same += c == '\n' ? std::string("\r\n") : std::string(1, c);
    fuzz::require(out == same, "a byte lost or changed with nothing to map");
  }
  return 0;
}
