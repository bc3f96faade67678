#pragma once

#include <string>
#include <string_view>

#include "settings/settings.hpp"

namespace drosk {

// Judges the text of drosk.ini, already read in text mode (carriage returns dropped, cut at the
// first Ctrl-Z). Returns the empty string when the text is accepted and `settings` is filled,
// otherwise the message to report.
std::string parse_settings(std::string_view text, Settings& settings);

// Reads drosk.ini from the current directory and returns its settings; a missing, unreadable or
// refused file ends the run through fatal.
Settings read_settings();

}  // namespace drosk
