#pragma once

// What the fuzz targets share: cutting an input into fields, and failing loudly.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace drosk::fuzz {

// The input as `short_fields` fields of at most 255 bytes, each as long as its own leading length
// byte says (cut short when the input ends), then the rest of the input as one more field.
inline std::vector<std::string_view> cut_input(const std::uint8_t* data, std::size_t size,
                                               std::size_t short_fields) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> fields;
  for (std::size_t i = 0; i < short_fields; ++i) {
    std::size_t length = rest.empty() ? 0 : static_cast<unsigned char>(rest.front());
    if (!rest.empty()) rest.remove_prefix(1);
    if (length > rest.size()) length = rest.size();
    fields.push_back(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  fields.push_back(rest);
  return fields;
}

// A drosk.ini value as the reader can give it: it never holds a line end, a carriage return or a
// Ctrl-Z (text mode drops the one and ends the file at the other), and ends at its first NUL.
inline std::string ini_value(std::string_view raw) {
  std::string value;
  for (char c : raw) {
    if (c == '\0') break;
    if (c != '\n' && c != '\r' && c != '\x1a') value += c;
  }
  return value;
}

// A broken promise of the code under test: said, and made a crash that libFuzzer keeps.
inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: %s\n", what);
  std::abort();
}

}  // namespace drosk::fuzz
