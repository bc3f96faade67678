#include "platform/command_line.hpp"
#include "text/arg_file_name.hpp"
#include "text/shell_quote.hpp"

namespace drosk::platform {

arguments process_arguments(int argc, char** argv) {
  return arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::optional<std::string> escaped_for_processor(const arguments&) {
  return "\"$@\"";
}

std::string quoted_for_log(const arguments& args) {
  return join_for_shell(args);
}

std::vector<std::string> processor_parameters(const arguments& args) {
  return args;
}

bool fits_processor(std::string_view) {
  return true;
}

std::optional<std::string> arg_file_name(const arguments& args) {
  return arg_file_in_list(args);
}

}  // namespace drosk::platform
