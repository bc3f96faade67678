#pragma once

#include <string>
#include <string_view>

// drosk's own text mode, the same on every platform: what it reads loses every carriage return and
// ends at the first Ctrl-Z; every line end it writes is CR LF.
namespace drosk {

constexpr char ctrl_z = '\x1a';

// Appends `raw` as text mode reads it. Returns true when a Ctrl-Z was met: the text ends there.
bool append_text_read(std::string& out, std::string_view raw);

// Appends `text` with every LF written as CR LF.
void append_crlf(std::string& out, std::string_view text);

// Appends `raw` with each CR LF pair made a lone LF; every other byte, a lone CR included, is
// kept. Argument files are read this way, so that no byte of theirs is lost.
void append_lf_line_ends(std::string& out, std::string_view raw);

}  // namespace drosk
