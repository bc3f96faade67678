#pragma once

#include <cstddef>
#include <string_view>

// The substitution's loop over 64-byte blocks, for processors with AVX-512 and its byte expansion
// (VBMI2). CMake builds it for x86-64 with GCC or Clang, and a stand-in that is never usable
// elsewhere; at run time it is used only where the processor and the system support it.
namespace drosk {

// Where a run of blocks stopped, and whether it stopped for want of room in the output.
struct wide_progress {
  const char* from;
  char* to;
  bool needs_room;
};

// The text that must remain for a block to be taken: a shorter one is left to the caller.
constexpr std::size_t wide_block_reach = 3 * 64;

// The room a block may need past `to`, so that the caller can make it when asked.
constexpr std::size_t wide_block_room(std::size_t replacement_size) {
  return 4 * 64 + 64 * replacement_size;
}

// Whether map_wide_blocks runs here; asked once.
bool wide_blocks_usable();

// Copies the text from `from` on to `to`, with each occurrence of `searched` replaced and, with
// `crlf`, each LF written as CR LF, 64 bytes at a time, while enough text remains before `end` to
// read whole blocks ahead. Stops early when fewer than wide_block_room bytes remain before
// `limit`; writes scratch bytes past the point it returns, never past `limit`. Does nothing for
// a searched text longer than 64 bytes or empty, for a replacement longer than 64 bytes, or, with
// `crlf`, for a searched text that begins with an LF: the chunked loop takes those.
template <bool crlf>
wide_progress map_wide_blocks(const char* from, const char* end, char* to, const char* limit,
                              std::string_view searched, std::string_view replacement);

// The first byte from `from` on that is `a` or `b`, or `end` when there is none: one look at
// each 64 bytes where two searches would each take one. Correct everywhere, fast where usable.
const char* wide_find_either(const char* from, const char* end, char a, char b);

// The same, a byte at a time: for the last bytes, and where the blocks are not usable.
inline const char* find_either_by_byte(const char* from, const char* end, char a, char b) {
  while (from != end && *from != a && *from != b) ++from;
  return from;
}

}  // namespace drosk
