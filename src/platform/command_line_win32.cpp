#include <windows.h>

#include "platform/command_line.hpp"
#include "text/arg_file_name.hpp"
#include "text/cmd_text.hpp"
#include "text/split_command_line.hpp"

namespace drosk::platform {
namespace {

bool ansi_lead_byte(unsigned char c) {
  return IsDBCSLeadByte(c) != 0;
}

}  // namespace

// The argument string is cut from the process command line exactly as the launcher passed it and
// kept as one verbatim text; the start-up code's argument vector is not used.
std::vector<std::string> process_arguments(int, char**) {
  std::optional<std::string> args = split_command_line(GetCommandLineA()).second;
  if (!args) return {};
  return {*args};
}

std::optional<std::string> join_arguments(const std::vector<std::string>& args) {
  return escape_for_cmd(args.empty() ? std::string_view() : args.front(), ansi_lead_byte);
}

std::string run_arguments_text(const std::vector<std::string>& args) {
  return join_arguments(args).value_or("");
}

std::vector<std::string> run_parameters(std::vector<std::string>) {
  return {"/V:OFF"};
}

// cmd.exe counts what it reads in UTF-16 units, as the ANSI text converts to them.
bool fits_processor(const std::string& text) {
  std::string c_switch = cmd_c_switch(text);
  std::string_view command = cmd_c_text(c_switch);
  if (command.empty()) return true;
  int units =
      MultiByteToWideChar(CP_ACP, 0, command.data(), static_cast<int>(command.size()), nullptr, 0);
  std::size_t length = units > 0 ? static_cast<std::size_t>(units) : command.size();
  return length <= 8191;
}

std::optional<std::string> find_arg_file(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  return arg_file_in_line(args.front(), ansi_lead_byte);
}

}  // namespace drosk::platform
