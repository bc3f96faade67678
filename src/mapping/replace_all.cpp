#include "mapping/replace_all.hpp"

namespace drosk {

void append_replaced(std::string& out, std::string_view text, std::string_view searched,
                     std::string_view replacement) {
  if (searched.empty()) {
    out.append(text);
    return;
  }
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(searched, pos)) != std::string_view::npos;) {
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + searched.size();
  }
  out.append(text.substr(pos));
}

void replace_all(std::string_view searched, std::string_view replacement, std::string& text) {
  if (searched.empty() || searched == replacement) return;
  if (text.find(searched) == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  append_replaced(out, text, searched, replacement);
  text.swap(out);
}

}  // namespace drosk
