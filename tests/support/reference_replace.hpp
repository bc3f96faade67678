#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace drosk {

// The substitution as a plain sequence of steps on a terminated buffer: find the leftmost
// occurrence, move the tail (terminator included) by the growth, copy the replacement in, go on
// after it. Slow on purpose; kept as the reference that the real one must agree with, in the unit
// tests and in the fuzz targets.
inline std::string reference_replace(std::string_view text, std::string_view searched,
                                     std::string_view replacement) {
  if (searched.empty()) return std::string(text);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  std::size_t m = searched.size(), k = replacement.size(), pos = 0;
  for (;;) {
    std::size_t length = buffer.size() - 1;
    std::size_t hit = std::string_view(buffer.data(), length).find(searched, pos);
    if (hit == std::string_view::npos) break;
    if (k > m) buffer.resize(buffer.size() + (k - m));
    std::memmove(buffer.data() + hit + k, buffer.data() + hit + m, length + 1 - hit - m);
    if (k < m) buffer.resize(buffer.size() - (m - k));
    if (k > 0) std::memcpy(buffer.data() + hit, replacement.data(), k);
    pos = hit + k;
  }
  return std::string(buffer.data(), buffer.size() - 1);
}

}  // namespace drosk
