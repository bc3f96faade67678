#include "text/split_command_line.hpp"

namespace drosk {

std::pair<std::string, std::optional<std::string>> split_command_line(std::string_view line) {
  std::string name;
  std::size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == '^') {
      // A caret takes the next character into the name, whatever it is.
      if (i + 1 == line.size()) break;
      name += line[i + 1];
      i += 2;
    } else if (c == '"') {
      std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) {
        name += line.substr(i + 1);
        break;
      }
      name += line.substr(i + 1, close - i - 1);
      i = close + 1;
    } else if (c == ' ') {
      std::size_t rest = line.find_first_not_of(' ', i);
      if (rest == std::string_view::npos) break;
      return {name, std::string(line.substr(rest))};
    } else {
      name += c;
      ++i;
    }
  }
  return {name, std::nullopt};
}

}  // namespace drosk
