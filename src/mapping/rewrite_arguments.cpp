#include "mapping/rewrite_arguments.hpp"

#include <algorithm>

#include "text/replace_all.hpp"

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

}  // namespace drosk
