#pragma once

#include <string>
#include <string_view>

namespace drosk {

// Appends `text` to `out` with every occurrence of `searched` replaced: leftmost first, never
// overlapping, and what a replacement inserted is never searched again. An empty `searched`
// matches nothing. Linear in the length of the text, whatever the number of occurrences.
void append_replaced(std::string& out, std::string_view text, std::string_view searched,
                     std::string_view replacement);

// The same, with every LF of the result written as CR LF, in one pass: what append_crlf makes of
// what append_replaced appends.
void append_replaced_crlf(std::string& out, std::string_view text, std::string_view searched,
                          std::string_view replacement);

// The same, written over what `out` held instead of after it. Mapping block after block into one
// string, the room it already has is not cleared again for each.
void assign_replaced_crlf(std::string& out, std::string_view text, std::string_view searched,
                          std::string_view replacement);

// The same as append_replaced, in place.
void replace_all(std::string_view searched, std::string_view replacement, std::string& text);

}  // namespace drosk
