#pragma once

#include <optional>
#include <string>
#include <vector>

// How the compiler's arguments reach drosk and leave it again. On Windows they are one verbatim
// argument string, cut from the process command line; on POSIX they are the argument vector,
// quoted for /bin/sh when the compile command is formed.
namespace drosk::platform {

// The arguments after the program's name; empty when there are none.
std::vector<std::string> process_arguments(int argc, char** argv);

// The arguments as they stand in the compile command text.
std::string join_arguments(const std::vector<std::string>& args);

// The name of the argument file that the arguments give, if any (it may be empty).
std::optional<std::string> find_arg_file(const std::vector<std::string>& args);

}  // namespace drosk::platform
