#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the compiler's arguments reach drosk and leave it again. On Windows they are one verbatim
// argument string, cut from the process command line, and escaped for cmd.exe when the compile
// command is formed; on POSIX they are the argument vector, handed to /bin/sh apart from the text.
namespace drosk::platform {

// The arguments after the program's name; empty when there are none.
std::vector<std::string> process_arguments(int argc, char** argv);

// The preprocess command text; none when the command processor cannot take it (on Windows, more
// than 8,191 UTF-16 units of what cmd.exe reads after "/c ").
std::optional<std::string> make_preprocess_command(std::string_view preprocess);

struct compile_command {
  // What the command processor runs, and what it is handed apart from the text. On POSIX the text
  // has "$@" in the arguments' place and the parameters are the arguments, as /bin/sh's positional
  // parameters: then only the system's limit on a whole command line applies, not the one on a
  // single string. On Windows the text holds the arguments, escaped for cmd.exe, and the
  // parameters are its switch /V:OFF: delayed expansion, if the registry turns it on, would act on
  // a "!" in them.
  std::string run_text;
  std::vector<std::string> parameters;
  // What "__drosk__.log" holds: the text that the processor would run as the same compile.
  std::string log_text;
  // The name of the argument file that the arguments give, if any (it may be empty).
  std::optional<std::string> arg_file;
  // Why the compile cannot run, empty when it can: on Windows, a line break in the arguments, or a
  // text longer than cmd.exe takes.
  std::string refusal;
};

compile_command make_compile_command(std::string_view javac, std::vector<std::string> args);

}  // namespace drosk::platform
