#pragma once

#include <string>
#include <string_view>

#include "platform/run_command.hpp"

namespace drosk {

// Set in the compile command's environment alone. Installed as javac in front of the real one,
// with no javac= line, drosk's compile command would run drosk again, and that one drosk again,
// without end; the mark lets the second one stop at once.
inline const platform::environment_mark compile_mark{"DROSK_COMPILE", "1"};

// True when this process runs inside a drosk's compile command: DROSK_COMPILE is set, whatever
// its value.
bool started_by_compile_command();

// The preprocess command's environment lists, in DROSK_PREPROCESS, the identity of every directory
// whose preprocess command it runs inside, separated by blanks. A preprocess command may build
// another directory through drosk; one that leads back to a directory of the chain would start
// the same preprocess again without end (and wait for that directory's lock).

// True when this process runs inside a drosk's preprocess command: DROSK_PREPROCESS lists a
// directory.
bool inside_preprocess_command();

// True when `directory` (an identity, empty when unknown) is listed in DROSK_PREPROCESS.
bool started_by_preprocess_command(std::string_view directory);

// DROSK_PREPROCESS, the list inherited plus `directory`, for the preprocess command run in it;
// none when `directory` is empty, which leaves the inherited list as it is.
platform::environment_mark preprocess_mark(std::string_view directory);

}  // namespace drosk
