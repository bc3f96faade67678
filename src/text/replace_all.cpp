#include "text/replace_all.hpp"

#include "text/text_mode.hpp"

namespace drosk {
namespace {

// Copies the runs between occurrences as they are, or with CR LF line ends.
template <bool crlf>
void append_mapped(std::string_view searched, std::string_view replacement, std::string_view text,
                   std::string& out) {
  auto append_run = [&out](std::string_view run) {
    if constexpr (crlf) {
      append_crlf(out, run);
    } else {
      out.append(run);
    }
  };
  if (searched.empty()) {
    append_run(text);
    return;
  }
  // Settings hold no LF, so the replacement is used as it is; any other is converted once.
  std::string converted;
  if (crlf && replacement.find('\n') != std::string_view::npos) {
    append_crlf(converted, replacement);
    replacement = converted;
  }
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(searched, pos)) != std::string_view::npos;) {
    append_run(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + searched.size();
  }
  append_run(text.substr(pos));
}

}  // namespace

void replace_all(std::string_view searched, std::string_view replacement, std::string& text) {
  if (searched.empty() || searched == replacement) return;
  if (text.find(searched) == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  append_replaced(searched, replacement, text, out);
  text.swap(out);
}

void append_replaced(std::string_view searched, std::string_view replacement, std::string_view text,
                     std::string& out) {
  append_mapped<false>(searched, replacement, text, out);
}

void append_replaced_crlf(std::string_view searched, std::string_view replacement,
                          std::string_view text, std::string& out) {
  append_mapped<true>(searched, replacement, text, out);
}

}  // namespace drosk
