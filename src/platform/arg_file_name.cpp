#include "platform/arg_file_name.hpp"

namespace drosk {

std::optional<std::string> arg_file_in_line(std::string_view line) {
  for (std::size_t at = line.find('@'); at != std::string_view::npos; at = line.find('@', at + 1)) {
    if (at == 0 || line[at - 1] == ' ') {
      std::string_view rest = line.substr(at + 1);
      return std::string(rest.substr(0, rest.find(' ')));
    }
  }
  return std::nullopt;
}

std::optional<std::string> arg_file_in_list(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.starts_with('@')) return arg.substr(1);
  }
  return std::nullopt;
}

}  // namespace drosk
