#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.hpp"

namespace drosk {

// Rewrites the block of whole lines `raw` of an argument file and appends it to `out`: every
// `source` becomes `build`, and every line end is written as CR LF. A line end is an LF or a CR LF
// pair; every other byte, a lone CR, a NUL or a Ctrl-Z included, passes through.
void rewrite_arg_lines(std::string_view raw, const Settings& settings, std::string& scratch,
                       std::string& out);

// Where the argument file is written before it takes the file's place: the name with its last
// character made "_", or "~" when it already is "_". `name` is not empty.
std::string temporary_name(const std::string& name);

// Rewrites the argument file `name`, in place, through a temporary file that takes its place only
// once it is complete. Does nothing when there is none; every failure ends the run through fatal,
// with the argument file as it was.
void rewrite_arg_file(const std::optional<std::string>& name, const Settings& settings);

}  // namespace drosk
