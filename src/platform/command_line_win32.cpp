#include <windows.h>

#include "platform/command_line.hpp"
#include "platform/long_path_win32.hpp"
#include "text/arg_file_name.hpp"
#include "text/cmd_text.hpp"
#include "text/split_command_line.hpp"

namespace drosk::platform {
namespace {

bool ansi_lead_byte(unsigned char c) {
  return IsDBCSLeadByte(c) != 0;
}

}  // namespace

arguments process_arguments(int, char**) {
  return split_command_line(GetCommandLineA()).second.value_or("");
}

std::optional<std::string> escaped_for_processor(const arguments& args) {
  // cmd.exe, which never sees the carets' quotes open, keeps the blank before the redirection.
  return escape_for_cmd(close_open_quote(args, ansi_lead_byte), ansi_lead_byte);
}

// A line break, which has no text here, is refused before the log is written.
std::string quoted_for_log(const arguments& args) {
  return escaped_for_processor(args).value_or("");
}

std::vector<std::string> processor_parameters(const arguments&) {
  return {"/V:OFF"};
}

// Counted as the ANSI text converts to UTF-16.
bool fits_processor(std::string_view text) {
  std::string c_switch = cmd_c_switch(text);
  std::string_view command = cmd_c_text(c_switch);
  std::wstring units = from_ansi(command);
  return (units.empty() ? command.size() : units.size()) <= 8191;
}

std::optional<std::string> arg_file_name(const arguments& args) {
  return arg_file_in_line(args, ansi_lead_byte);
}

}  // namespace drosk::platform
