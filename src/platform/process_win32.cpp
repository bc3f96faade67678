#include "platform/process.hpp"

namespace drosk::platform {

// Standard error is written with WriteFile (standard_error_win32.cpp), past the C runtime and its
// text mode, so there is nothing to make safe.
void prepare_process() {}

}  // namespace drosk::platform
