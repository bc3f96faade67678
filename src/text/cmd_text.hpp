#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/arg_file_name.hpp"

// What cmd.exe is handed. It reads a command text as its own syntax: it expands %NAME%, then
// takes a caret away and the character after it literally, and acts on & | < > ( ) and quotes.
namespace drosk {

// The argument string as it must stand in a command text for cmd.exe to hand it on unchanged: a
// caret before each of ^ & | < > ( ) " and before the character right after a %, so that no
// %NAME% names a variable. None when it holds a carriage return or a line feed, which cannot pass
// through cmd.exe. Walks by characters of the ANSI code page: a trail byte gets no caret.
std::optional<std::string> escape_for_cmd(std::string_view args,
                                          lead_byte_test lead_byte = no_lead_bytes);

// What follows "/c" on cmd.exe's command line: "/c " and the text, or, when the text's first
// character that is not a blank is a double quote, "/s /c " and the text in quotes (with /s,
// cmd.exe takes away exactly the first and the last quote; without it, a quoted program path
// with blanks or parentheses loses its quotes).
std::string cmd_c_switch(std::string_view text);

// The part of cmd_c_switch's result that cmd.exe reads as the command, after "/c ".
std::string_view cmd_c_text(std::string_view c_switch);

}  // namespace drosk
