#include "platform/command_line.hpp"
#include "text/arg_file_name.hpp"
#include "text/command_texts.hpp"
#include "text/shell_quote.hpp"

namespace drosk::platform {

std::vector<std::string> process_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::optional<std::string> make_preprocess_command(std::string_view preprocess) {
  return preprocess_command_text(preprocess);
}

compile_command make_compile_command(std::string_view javac, std::vector<std::string> args) {
  compile_command command;
  command.run_text = compile_command_text(javac, "\"$@\"");
  command.log_text = compile_command_text(javac, join_for_shell(args));
  command.arg_file = arg_file_in_list(args);
  command.parameters = std::move(args);
  return command;
}

}  // namespace drosk::platform
