#include "mapping/rewrite_arguments.hpp"

#include <algorithm>

#include "mapping/replace_all.hpp"

namespace drosk {

std::vector<std::string> rewrite_arguments(std::vector<std::string> args,
                                           const Settings& settings) {
  bool mentions_java = std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg.find(".java") != std::string::npos;
  });
  if (mentions_java) {
    for (std::string& arg : args) replace_all(settings.source, settings.build, arg);
  }
  return args;
}

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

std::string temporary_name(const std::string& name) {
  std::string temporary = name;
  temporary.back() = temporary.back() == '_' ? '~' : '_';
  return temporary;
}

}  // namespace drosk
