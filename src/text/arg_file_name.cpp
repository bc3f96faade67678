#include "text/arg_file_name.hpp"

namespace drosk {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Where a split ends: inside quotes or not, and the backslashes that end the string.
struct split_end {
  bool quoted = false;
  std::size_t backslashes = 0;
};

split_end split(std::string_view line, lead_byte_test lead_byte, std::vector<std::string>& args) {
  split_end end;
  bool& quoted = end.quoted;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) return end;
    std::string& arg = args.emplace_back();
    quoted = false;
    while (i < line.size() && (quoted || !is_blank(line[i]))) {
      std::size_t backslashes = line.find_first_not_of('\\', i);
      if (backslashes == std::string_view::npos) backslashes = line.size();
      std::size_t count = backslashes - i;
      i = backslashes;
      end.backslashes = i == line.size() ? count : 0;
      if (i == line.size() || line[i] != '"') {
        arg.append(count, '\\');
        if (i == line.size() || (!quoted && is_blank(line[i]))) break;
        if (lead_byte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) arg += line[i++];
        arg += line[i++];
        continue;
      }
      arg.append(count / 2, '\\');
      if (count % 2 == 1) {
        arg += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        arg += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    }
  }
}

}  // namespace

std::vector<std::string> split_arguments(std::string_view line, lead_byte_test lead_byte) {
  std::vector<std::string> args;
  split(line, lead_byte, args);
  return args;
}

std::string close_open_quote(std::string_view line, lead_byte_test lead_byte) {
  std::vector<std::string> args;
  split_end end = split(line, lead_byte, args);
  std::string closed(line);
  if (end.quoted) closed.append(end.backslashes, '\\').append(1, '"');
  return closed;
}

std::optional<std::string> arg_file_in_line(std::string_view line, lead_byte_test lead_byte) {
  return arg_file_in_list(split_arguments(line, lead_byte));
}

std::optional<std::string> arg_file_in_list(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.starts_with('@') && !arg.starts_with("@@")) return arg.substr(1);
  }
  return std::nullopt;
}

}  // namespace drosk
