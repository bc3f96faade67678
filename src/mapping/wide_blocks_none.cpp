#include "mapping/wide_blocks.hpp"

// Where the 64-byte loop is not built, the chunked loop does all the work.
namespace drosk {

bool wide_blocks_usable() {
  return false;
}

template <bool crlf>
wide_progress map_wide_blocks(const char* from, const char*, char* to, const char*,
                              std::string_view, std::string_view) {
  return {from, to, false};
}

template wide_progress map_wide_blocks<false>(const char*, const char*, char*, const char*,
                                              std::string_view, std::string_view);
template wide_progress map_wide_blocks<true>(const char*, const char*, char*, const char*,
                                             std::string_view, std::string_view);

const char* wide_find_either(const char* from, const char* end, char a, char b) {
  return find_either_by_byte(from, end, a, b);
}

}  // namespace drosk
