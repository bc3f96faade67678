#pragma once

#include <string>
#include <string_view>

// The one text operation behind the mapping between the source tree and the build tree. Every
// occurrence of `searched` is replaced: leftmost first, never overlapping, and what a replacement
// inserted is never searched again. An empty `searched` matches nothing. Time is linear in the
// length of the text, whatever the number of occurrences.
namespace drosk {

// In place.
void replace_all(std::string_view searched, std::string_view replacement, std::string& text);

// Appends the replaced `text` to `out`.
void append_replaced(std::string_view searched, std::string_view replacement, std::string_view text,
                     std::string& out);

// The same, with every LF of the result written as CR LF, in the same pass: what append_crlf makes
// of what append_replaced appends.
void append_replaced_crlf(std::string_view searched, std::string_view replacement,
                          std::string_view text, std::string& out);

}  // namespace drosk
