#pragma once

#include <string_view>

namespace drosk {

// Set in the compile command's environment alone. Installed as javac in front of the real one,
// with no javac= line, drosk's compile command would run drosk again, and that one drosk again,
// without end; the mark lets the second one stop at once.
constexpr std::string_view compile_mark = "DROSK_COMPILE=1";

// True when this process runs inside a drosk's compile command: DROSK_COMPILE is set, whatever
// its value.
bool started_by_compile_command();

}  // namespace drosk
