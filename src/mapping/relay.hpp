#pragma once

#include <string>
#include <string_view>

#include "settings/settings.hpp"

namespace drosk {

// Maps a block of whole compiler message lines, already read in text mode, back to the source
// tree and appends them to `out`: every `build` becomes `source`, and every line end is written as
// CR LF.
void map_message_lines(std::string_view lines, const Settings& settings, std::string& out);

// Copies the capture (capture.hpp) to standard error, mapped back to the source tree. A compile
// `cancelled` may have ended before its shell made the capture: none is then nothing to relay.
void relay_compiler_errors(const Settings& settings, bool cancelled);

}  // namespace drosk
