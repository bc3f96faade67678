#include <windows.h>

#include "platform/arg_file_name.hpp"
#include "platform/command_line.hpp"
#include "platform/split_command_line.hpp"

namespace drosk::platform {

// The argument string is cut from the process command line exactly as the launcher passed it and
// kept as one verbatim text; the start-up code's argument vector is not used.
std::vector<std::string> process_arguments(int, char**) {
  std::optional<std::string> args = split_command_line(GetCommandLineA()).second;
  if (!args) return {};
  return {*args};
}

std::string join_arguments(const std::vector<std::string>& args) {
  return args.empty() ? std::string() : args.front();
}

std::string run_arguments_text(const std::vector<std::string>& args) {
  return join_arguments(args);
}

std::vector<std::string> run_parameters(std::vector<std::string>) {
  return {};
}

std::optional<std::string> find_arg_file(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  return arg_file_in_line(args.front());
}

}  // namespace drosk::platform
