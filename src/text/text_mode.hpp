#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// drosk's own text mode, the same on every platform: what it reads loses every carriage return;
// every line end it writes is CR LF.
namespace drosk {

constexpr char ctrl_z = '\x1a';

// How the bytes of a file are read.
enum class read_mode {
  bytes,          // every byte as it stands
  text,           // carriage returns dropped; the first Ctrl-Z ends the file
  text_past_eof,  // carriage returns dropped; a Ctrl-Z is carried like any other byte
};

// What a read comes to in its mode: its length, and whether a Ctrl-Z ended the text there.
struct read_mode_result {
  std::size_t size;
  bool stopped;
};

// Makes the `size` bytes just read into `data` what `mode` reads, in place.
read_mode_result apply_read_mode(char* data, std::size_t size, read_mode mode);

// Appends `text` with every LF written as CR LF.
void append_crlf(std::string& out, std::string_view text);

// Appends `raw` with each CR LF pair made a lone LF; every other byte, a lone CR included, is
// kept. Argument files are read this way, so that no byte of theirs is lost.
void append_lf_line_ends(std::string& out, std::string_view raw);

}  // namespace drosk
