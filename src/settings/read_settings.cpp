#include "settings/read_settings.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "io/fatal.hpp"
#include "io/text_file.hpp"

namespace drosk {
namespace {

// A line is read in pieces of at most this many characters, line end included; the rest of a
// longer line is judged as a line of its own.
constexpr std::size_t piece_limit = 16383;

struct key {
  std::string_view prefix;
  std::string Settings::*field;
  bool seen;
};

}  // namespace

parsed_settings parse_settings(std::string_view text) {
  Settings settings;
  // Tried in this order, each as a prefix of the line.
  std::array<key, 4> keys{{
      {"preprocess=", &Settings::preprocess, false},
      {"javac=", &Settings::javac, false},
      {"source=", &Settings::source, false},
      {"build=", &Settings::build, false},
  }};
  auto& [preprocess, javac, source, build] = keys;
  int line_number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t length = std::min(piece_limit, text.size() - pos);
    std::size_t line_end = text.substr(pos, length).find('\n');
    if (line_end != std::string_view::npos) length = line_end + 1;
    std::string_view line = text.substr(pos, length);
    pos += length;
    ++line_number;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.front() == '#') continue;

    auto found = std::find_if(keys.begin(), keys.end(),
                              [&](const key& k) { return line.starts_with(k.prefix); });
    if (found == keys.end() || found->seen) {
      return {{}, "drosk.ini:" + std::to_string(line_number) + ": Error"};
    }
    found->seen = true;
    // A value ends at its first NUL: the commands are handed on as terminated strings, and what
    // stood after it would be cut off there without a word.
    std::string_view value = line.substr(found->prefix.size());
    settings.*(found->field) = std::string(value.substr(0, value.find('\0')));
  }

  if (!javac.seen) settings.javac = "javac";
  std::string report;
  if (!preprocess.seen) report += "drosk.ini: preprocess=NULL\n";
  if (!build.seen) report += "drosk.ini: build=NULL\n";
  if (!source.seen) report += "drosk.ini: source=NULL\n";
  return {settings, report};
}

Settings read_settings() {
  parsed_settings parsed = parse_settings(read_text_file("drosk.ini"));
  if (!parsed.error.empty()) fatal("%s", {parsed.error});
  return parsed.settings;
}

}  // namespace drosk
