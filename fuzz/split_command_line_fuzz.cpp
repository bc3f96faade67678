// split_command_line against a transcription of its steps on a copy of the line, done the slow way
// (a caret or quote is removed by moving the rest of the text left); the argument file that the
// argument string names, and the string with its quote closed, against a character-by-character
// model of the C runtime's split; and the argument string escaped for cmd.exe, read back with
// cmd.exe's caret rule.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.hpp"
#include "text/arg_file_name.hpp"
#include "text/cmd_text.hpp"
#include "text/split_command_line.hpp"

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

// The Microsoft C runtime's split, one character at a time: backslashes are counted until
// something other than a backslash shows what they were.
std::vector<std::string> reference_arguments(std::string_view s) {
  std::vector<std::string> args;
  std::string arg;
  bool in_arg = false, quoted = false;
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\') {
      ++backslashes;
      in_arg = true;
      continue;
    }
    if (c == '"') {
      arg.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        arg += '"';
      } else if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
        arg += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      backslashes = 0;
      in_arg = true;
      continue;
    }
    arg.append(backslashes, '\\');
    backslashes = 0;
    if ((c == ' ' || c == '\t') && !quoted) {
      if (in_arg) args.push_back(arg);
      arg.clear();
      in_arg = false;
      continue;
    }
    arg += c;
    in_arg = true;
  }
  arg.append(backslashes, '\\');
  if (in_arg) args.push_back(arg);
  return args;
}

// Outside quotes cmd.exe drops each caret and takes the next character as it is; an escaped
// text has no quote that cmd.exe reads, so that is all of it.
std::string read_back_carets(std::string_view escaped) {
  std::string text;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '^') ++i;
    if (i < escaped.size()) text += escaped[i];
  }
  return text;
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
  std::optional<std::string> expected;
  for (const std::string& arg : reference_arguments(args)) {
    if (arg.starts_with('@') && !arg.starts_with("@@")) {
      expected = arg.substr(1);
      break;
    }
  }
  fuzz::require(arg_file_in_line(args) == expected, "argument file differs from the model");
  // Closed, the string ends its last argument before a blank and more, which it would otherwise
  // take in.
  std::vector<std::string> followed = reference_arguments(args);
  followed.push_back("x");
  fuzz::require(reference_arguments(close_open_quote(args) + " x") == followed,
                "a closed string splits otherwise or leaves a quote open");

  std::optional<std::string> escaped = escape_for_cmd(args);
  bool line_break = args.find_first_of("\r\n") != std::string::npos;
  fuzz::require(escaped.has_value() != line_break, "line break let through or text refused");
  if (!escaped) return 0;
  fuzz::require(read_back_carets(*escaped) == args, "cmd.exe would not read back the arguments");
  for (std::size_t i = 0; i < escaped->size(); ++i) {
    char c = (*escaped)[i];
    if (c == '^') {
      ++i;
    } else {
      fuzz::require(std::string_view("&|<>()\"").find(c) == std::string_view::npos &&
                        (i == 0 || (*escaped)[i - 1] != '%'),
                    "a character that cmd.exe acts on is left bare");
    }
  }
  return 0;
}
