#include "settings/read_settings.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "driver/fatal.hpp"
#include "driver/text_file.hpp"

namespace drosk {
namespace {

// A line is read in pieces of at most this many characters, line end included; the rest of a
// longer line is judged as a line of its own.
constexpr std::size_t piece_limit = 16383;

}  // namespace

std::string parse_settings(std::string_view text, Settings& settings) {
  // Tried in this order, each as a prefix of the line.
  using key = std::pair<std::string_view, std::string Settings::*>;
  static constexpr std::array<key, 4> keys{{
      {"preprocess=", &Settings::preprocess},
      {"javac=", &Settings::javac},
      {"source=", &Settings::source},
      {"build=", &Settings::build},
  }};
  std::array<bool, 4> seen{};
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
                              [&](const key& k) { return line.starts_with(k.first); });
    if (found == keys.end() || seen[found - keys.begin()]) {
      return "drosk.ini:" + std::to_string(line_number) + ": Error";
    }
    seen[found - keys.begin()] = true;
    settings.*(found->second) = std::string(line.substr(found->first.size()));
  }

  if (!seen[1]) settings.javac = "javac";
  std::string report;
  if (!seen[0]) report += "drosk.ini: preprocess=NULL\n";
  if (!seen[3]) report += "drosk.ini: build=NULL\n";
  if (!seen[2]) report += "drosk.ini: source=NULL\n";
  return report;
}

Settings read_settings(std::string& work) {
  std::string_view complaint = read_text_file("drosk.ini", work);
  if (!complaint.empty()) fatal("%s: %s", {"drosk.ini", complaint});
  Settings settings;
  std::string refusal = parse_settings(work, settings);
  if (!refusal.empty()) fatal("%s", {refusal});
  return settings;
}

}  // namespace drosk
