#pragma once

#include <string>
#include <string_view>

#include "settings/settings.hpp"

namespace drosk {

// What the text of drosk.ini gives: its settings, or the message to report.
struct parsed_settings {
  Settings settings;
  std::string error;  // empty when the text is accepted
};

// Judges the text of drosk.ini, already read in text mode (carriage returns dropped, cut at the
// first Ctrl-Z).
parsed_settings parse_settings(std::string_view text);

// Reads drosk.ini from the current directory and returns its settings; a missing, unreadable or
// refused file ends the run through fatal.
Settings read_settings();

}  // namespace drosk
