#pragma once

#include <string>
#include <string_view>

// drosk's own text mode, the same on every platform: what it reads loses every carriage return and
// ends at the first Ctrl-Z; every line end it writes is CR LF.
namespace drosk {

constexpr char ctrl_z = '\x1a';

// Makes the `size` bytes just read into `data` what text mode reads, in place, and returns how many
// are kept. `stopped` tells whether a Ctrl-Z was met: the text ends there.
std::size_t keep_text_read(char* data, std::size_t size, bool& stopped);

// Appends `text` with every LF written as CR LF.
void append_crlf(std::string& out, std::string_view text);

// Appends `raw` with each CR LF pair made a lone LF; every other byte, a lone CR included, is
// kept. Argument files are read this way, so that no byte of theirs is lost.
void append_lf_line_ends(std::string& out, std::string_view raw);

}  // namespace drosk
