#include "platform/command_line.hpp"
#include "text/arg_file_name.hpp"
#include "text/shell_quote.hpp"

namespace drosk::platform {

std::vector<std::string> process_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::optional<std::string> join_arguments(const std::vector<std::string>& args) {
  return join_for_shell(args);
}

std::string run_arguments_text(const std::vector<std::string>&) {
  return "\"$@\"";
}

std::vector<std::string> run_parameters(std::vector<std::string> args) {
  return args;
}

bool fits_processor(const std::string&) {
  return true;
}

std::optional<std::string> find_arg_file(const std::vector<std::string>& args) {
  return arg_file_in_list(args);
}

}  // namespace drosk::platform
