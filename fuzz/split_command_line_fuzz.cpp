// split_command_line against a transcription of its steps on a copy of the line, done the slow way
// (a caret or quote is removed by moving the rest of the text left); and the argument file that
// the argument string names.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "fuzz_support.hpp"
#include "platform/arg_file_name.hpp"
#include "platform/split_command_line.hpp"

namespace {

using split = std::pair<std::string, std::optional<std::string>>;

split reference_split(std::string s) {
  std::size_t i = 0;
  for (;;) {
    if (i == s.size()) return {s, std::nullopt};
    char c = s[i];
    if (c == '^') {
      s.erase(i, 1);
      if (i == s.size()) return {s, std::nullopt};
      ++i;
    } else if (c == '"') {
      s.erase(i, 1);
      std::size_t close = s.find('"', i);
      if (close == std::string::npos) return {s, std::nullopt};
      s.erase(close, 1);
      i = close;
    } else if (c == ' ') {
      std::size_t rest = i;
      while (rest < s.size() && s[rest] == ' ') ++rest;
      if (rest == s.size()) return {s.substr(0, i), std::nullopt};
      return {s.substr(0, i), s.substr(rest)};
    } else {
      ++i;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace drosk;
  std::string_view line(reinterpret_cast<const char*>(data), size);
  split got = split_command_line(line);
  fuzz::require(got == reference_split(std::string(line)), "split differs from the reference");

  if (!got.second) return 0;
  const std::string& args = *got.second;
  fuzz::require(!args.empty() && args.front() != ' ' && line.ends_with(args),
                "the argument string is not the verbatim rest of the line");
  std::optional<std::string> name = arg_file_in_line(args);
  std::size_t at = args.find('@');
  while (at != std::string::npos && at != 0 && args[at - 1] != ' ') at = args.find('@', at + 1);
  fuzz::require(name.has_value() == (at != std::string::npos), "argument file missed or invented");
  if (name) {
    fuzz::require(std::string_view(args).substr(at + 1).starts_with(*name) &&
                      name->find(' ') == std::string::npos,
                  "argument file name is not the word after the @");
  }
  return 0;
}
