#include "mapping/rewrite_arguments.hpp"

#include <algorithm>

#include "text/replace_all.hpp"

namespace drosk {

std::vector<std::string> rewrite_arguments(std::vector<std::string> args,
                                           const Settings& settings) {
  auto mentions_java = [](std::string_view arg) { return arg.find(".java") != arg.npos; };
  if (std::any_of(args.begin(), args.end(), mentions_java)) {
    for (std::string& arg : args) replace_all(settings.source, settings.build, arg);
  }
  return args;
}

std::string rewrite_arguments(std::string line, const Settings& settings) {
  return std::move(rewrite_arguments(std::vector{std::move(line)}, settings).front());
}

}  // namespace drosk
