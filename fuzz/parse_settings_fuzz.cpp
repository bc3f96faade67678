// The drosk.ini reader on any text: it accepts or refuses with one of its own messages, accepted
// values are taken from the text, and written out again they read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "fuzz_support.hpp"
#include "settings/read_settings.hpp"

namespace {

constexpr std::size_t piece_limit = 16383;

bool is_refusal(const std::string& report) {
  if (report.starts_with("drosk.ini:") && report.ends_with(": Error")) {
    std::string number = report.substr(10, report.size() - 10 - 7);
    return !number.empty() && number.front() != '0' &&
           number.find_first_not_of("0123456789") == std::string::npos;
  }
  // The missing-key report: some of these lines, in this order.
  std::string_view rest = report;
  for (std::string_view line :
       {"drosk.ini: preprocess=NULL\n", "drosk.ini: build=NULL\n", "drosk.ini: source=NULL\n"}) {
    if (rest.starts_with(line)) rest.remove_prefix(line.size());
  }
  return rest.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace drosk;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto [settings, report] = parse_settings(text);
  if (!report.empty()) {
    fuzz::require(is_refusal(report), "a refusal that is not one of the reader's messages");
    return 0;
  }

  std::string lines;
  bool fits = true;
  // Another order, and a comment among them.
  const std::pair<std::string_view, const std::string*> written[] = {
      {"build=", &settings.build},
      {"# c", nullptr},
      {"javac=", &settings.javac},
      {"source=", &settings.source},
      {"preprocess=", &settings.preprocess}};
  for (auto [key, value] : written) {
    std::string line = std::string(key) + (value ? *value : std::string());
    fuzz::require(line.find('\n') == std::string::npos, "a value holds a line end");
    fuzz::require(line.find('\0') == std::string::npos, "a value holds a NUL");
    if (value && *value != "javac") {
      fuzz::require(text.find(line) != std::string_view::npos, "a value not taken from the text");
    }
    fits = fits && line.size() + 1 <= piece_limit;
    lines += line + '\n';
  }
  if (!fits) return 0;
  auto [again, refusal] = parse_settings(lines);
  fuzz::require(refusal.empty(), "accepted settings, written out, refused");
  fuzz::require(again.preprocess == settings.preprocess && again.javac == settings.javac &&
                    again.source == settings.source && again.build == settings.build,
                "accepted settings, written out, read back different");
  return 0;
}
