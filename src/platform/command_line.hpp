#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the compiler's arguments reach drosk and how they stand in the compile command.
namespace drosk::platform {

// The arguments after the program's name, as the system hands them to a program: on POSIX the
// argument vector; on Windows one verbatim argument string, cut from the process command line
// (the start-up code's split of it is not used). Empty when there are none.
#ifdef _WIN32
using arguments = std::string;
#else
using arguments = std::vector<std::string>;
#endif

arguments process_arguments(int argc, char** argv);

// What stands for the arguments in the compile command text that runs. On POSIX "$@": /bin/sh is
// handed the arguments apart from the text, as its positional parameters (processor_parameters),
// so that only the system's limit on a whole command line applies, not the one on a single
// string. On Windows the argument string escaped for cmd.exe; none when it holds a line break.
std::optional<std::string> escaped_for_processor(const arguments& args);

// What stands for the arguments in the text that "__drosk__.log" holds, which the processor would
// run as the same compile: quoted for /bin/sh on POSIX, escaped for cmd.exe on Windows.
std::string quoted_for_log(const arguments& args);

// What the processor is handed apart from the compile command text: on POSIX the arguments; on
// Windows the switch /V:OFF, since delayed expansion, if the registry turns it on, would act on a
// "!" in them.
std::vector<std::string> processor_parameters(const arguments& args);

// Whether the processor takes a command text whole: cmd.exe reads at most 8,191 UTF-16 units after
// "/c "; /bin/sh has no such limit.
bool fits_processor(std::string_view text);

// The name of the argument file that the arguments give, if any (it may be empty).
std::optional<std::string> arg_file_name(const arguments& args);

}  // namespace drosk::platform
