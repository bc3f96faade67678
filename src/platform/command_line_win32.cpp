#include <windows.h>

#include "platform/command_line.hpp"
#include "text/arg_file_name.hpp"
#include "text/cmd_text.hpp"
#include "text/command_texts.hpp"
#include "text/split_command_line.hpp"

namespace drosk::platform {
namespace {

bool ansi_lead_byte(unsigned char c) {
  return IsDBCSLeadByte(c) != 0;
}

// cmd.exe reads at most 8,191 UTF-16 units after "/c ", counted as the ANSI text converts to them.
bool fits_cmd(const std::string& text) {
  std::string c_switch = cmd_c_switch(text);
  std::string_view command = cmd_c_text(c_switch);
  if (command.empty()) return true;
  int units =
      MultiByteToWideChar(CP_ACP, 0, command.data(), static_cast<int>(command.size()), nullptr, 0);
  std::size_t length = units > 0 ? static_cast<std::size_t>(units) : command.size();
  return length <= 8191;
}

}  // namespace

// The argument string is cut from the process command line exactly as the launcher passed it and
// kept as one verbatim text; the start-up code's argument vector is not used.
std::vector<std::string> process_arguments(int, char**) {
  std::optional<std::string> args = split_command_line(GetCommandLineA()).second;
  if (!args) return {};
  return {*args};
}

std::optional<std::string> make_preprocess_command(std::string_view preprocess) {
  std::string text = preprocess_command_text(preprocess);
  if (!fits_cmd(text)) return std::nullopt;
  return text;
}

compile_command make_compile_command(std::string_view javac, std::vector<std::string> args) {
  std::string_view line = args.empty() ? std::string_view() : args.front();
  // cmd.exe, which never sees the carets' quotes open, keeps the blank before the redirection.
  std::optional<std::string> escaped =
      escape_for_cmd(close_open_quote(line, ansi_lead_byte), ansi_lead_byte);
  std::string text = compile_command_text(javac, escaped.value_or(""));
  std::string refusal;
  if (!escaped) {
    refusal = "drosk: Line break in the arguments; pass them in an @file";
  } else if (!fits_cmd(text)) {
    refusal =
        "drosk: Compile command too long for cmd.exe (8191 characters at most); pass the "
        "arguments in an @file";
  }
  return {text, {"/V:OFF"}, text, arg_file_in_line(line, ansi_lead_byte), refusal};
}

}  // namespace drosk::platform
