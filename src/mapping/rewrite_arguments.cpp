#include "mapping/rewrite_arguments.hpp"

#include <algorithm>

#include "text/replace_all.hpp"

namespace drosk {
namespace {

bool mentions_java(std::string_view arg) {
  return arg.find(".java") != arg.npos;
}

}  // namespace

std::vector<std::string> rewrite_arguments(std::vector<std::string> args,
                                           const Settings& settings) {
  if (std::ranges::any_of(args, mentions_java)) {
    for (std::string& arg : args) replace_all(settings.source, settings.build, arg);
  }
  return args;
}

std::string rewrite_arguments(std::string line, const Settings& settings) {
  if (mentions_java(line)) replace_all(settings.source, settings.build, line);
  return line;
}

}  // namespace drosk
