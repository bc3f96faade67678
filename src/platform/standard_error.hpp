#pragma once

#include <string_view>

namespace drosk::platform {

// Writes all of `bytes` to standard error, waiting while a non-blocking one is full and going on
// after an interrupted write. False only on a real write error: nobody reads any more.
bool write_standard_error(std::string_view bytes);

}  // namespace drosk::platform
