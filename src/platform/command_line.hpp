#pragma once

#include <optional>
#include <string>
#include <vector>

// How the compiler's arguments reach drosk and leave it again. On Windows they are one verbatim
// argument string, cut from the process command line, and escaped for cmd.exe when the compile
// command is formed; on POSIX they are the argument vector, quoted for /bin/sh.
namespace drosk::platform {

// The arguments after the program's name; empty when there are none.
std::vector<std::string> process_arguments(int argc, char** argv);

// The arguments as they stand in the compile command text that "__drosk__.log" holds; none when
// they cannot stand in a command text (on Windows, a line break).
std::optional<std::string> join_arguments(const std::vector<std::string>& args);

// The compile command that is run has `run_arguments_text` in their place, and the processor gets
// `run_parameters` apart from the text. On POSIX that is "$@" and the arguments, as /bin/sh's
// positional parameters: then only the system's limit on a whole command line applies, not the
// one on a single string. On Windows the text holds them, as join_arguments gives them, and the
// parameters are cmd.exe's switch /V:OFF: delayed expansion, if the registry turns it on, would
// act on a "!" in them.
std::string run_arguments_text(const std::vector<std::string>& args);
std::vector<std::string> run_parameters(std::vector<std::string> args);

// False when the command processor cannot take the command text: on Windows, more than 8,191
// UTF-16 units of what cmd.exe reads after "/c ".
bool fits_processor(const std::string& text);

// The name of the argument file that the arguments give, if any (it may be empty).
std::optional<std::string> find_arg_file(const std::vector<std::string>& args);

}  // namespace drosk::platform
