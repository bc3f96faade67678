#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "mapping/wide_blocks.hpp"

// Only the functions marked so use these instructions, so that nothing else compiled here, inline
// library code included, can reach a processor without them.
#define DROSK_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi2,bmi,bmi2,popcnt")))

namespace drosk {
namespace {

constexpr std::size_t block = 64;
// A block is taken only while this much text remains: the copy that follows an occurrence ending
// near the block's end reads up to 159 bytes past the block's start.
constexpr std::size_t reach = wide_block_reach;

// Where the 32 bytes go when a CR is put before each LF marked in `lf`: a 0 for each CR, then a 1
// for the byte. Interleaving the line-end bits with ones and squeezing out the slots of bytes
// without a CR gives it without a loop.
DROSK_WIDE inline std::uint64_t crlf_spread(std::uint32_t lf) {
  constexpr std::uint64_t byte_slots = 0xAAAAAAAAAAAAAAAAull;
  return _pext_u64(byte_slots, _pdep_u64(lf, 0x5555555555555555ull) | byte_slots);
}

// Copies the `length` bytes at `from` (at most 64) to `to`, with a CR before each LF marked in
// `lf`, and gives the end of what it wrote; it writes up to 128 bytes, and reads 96.
template <bool crlf>
DROSK_WIDE inline char* copy_run(char* to, const char* from, std::uint64_t lf, unsigned length,
                                 __m512i cr) {
  if constexpr (!crlf) {
    _mm512_storeu_si512(to, _mm512_loadu_si512(from));
    return to + length;
  } else {
    lf = _bzhi_u64(lf, length);
    auto low = static_cast<std::uint32_t>(lf);
    auto high = static_cast<std::uint32_t>(lf >> 32);
    _mm512_storeu_si512(to,
                        _mm512_mask_expand_epi8(cr, crlf_spread(low), _mm512_loadu_si512(from)));
    _mm512_storeu_si512(
        to + 32 + _mm_popcnt_u32(low),
        _mm512_mask_expand_epi8(cr, crlf_spread(high), _mm512_loadu_si512(from + 32)));
    return to + length + _mm_popcnt_u64(lf);
  }
}

template <bool crlf>
DROSK_WIDE wide_progress map_blocks(const char* p, const char* end, char* at, const char* limit,
                                    std::string_view searched, std::string_view replacement) {
  const std::size_t n = searched.size();
  const std::size_t r = replacement.size();
  char padded_searched[block] = {};
  char padded_replacement[block] = {};
  std::memcpy(padded_searched, searched.data(), n);
  std::memcpy(padded_replacement, replacement.data(), r);
  const __m512i searched_bytes = _mm512_loadu_si512(padded_searched);
  const __m512i replacement_bytes = _mm512_loadu_si512(padded_replacement);
  const __mmask64 searched_mask = _bzhi_u64(~0ull, static_cast<unsigned>(n));
  const __m512i line_end = _mm512_set1_epi8('\n');
  const __m512i cr = _mm512_set1_epi8('\r');
  const __m512i first = _mm512_set1_epi8(searched.front());
  const __m512i last = _mm512_set1_epi8(searched.back());

  while (static_cast<std::size_t>(end - p) >= reach) {
    // Line ends, and where the searched text may begin: its first byte there and its last byte
    // at the right distance.
    __m512i bytes = _mm512_loadu_si512(p);
    std::uint64_t lf = crlf ? _mm512_cmpeq_epi8_mask(bytes, line_end) : 0;
    std::uint64_t starts = _mm512_cmpeq_epi8_mask(bytes, first) &
                           _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p + n - 1), last);
    if (static_cast<std::size_t>(limit - at) < 4 * block + _mm_popcnt_u64(starts) * r) {
      return {p, at, true};
    }
    if (starts == 0) {
      at = copy_run<crlf>(at, p, lf, block, cr);
      p += block;
      continue;
    }
    // The runs between occurrences are copied as they are; `done` is where the next begins.
    unsigned done = 0;
    do {
      unsigned k = static_cast<unsigned>(_tzcnt_u64(starts));
      at = copy_run<crlf>(at, p + done, lf >> done, k - done, cr);
      __m512i here = _mm512_maskz_loadu_epi8(searched_mask, p + k);
      if (_mm512_cmpneq_epi8_mask(here, searched_bytes) == 0) {
        _mm512_storeu_si512(at, replacement_bytes);
        at += r;
        done = k + static_cast<unsigned>(n);
        // No occurrence begins inside this one.
        starts = done < block ? starts & (~0ull << done) : 0;
      } else {
        *at++ = p[k];  // not a line end: the searched text does not begin with one
        done = k + 1;
        starts &= starts - 1;
      }
    } while (starts != 0);
    if (done < block) {
      at = copy_run<crlf>(at, p + done, lf >> done, block - done, cr);
      done = block;
    }
    p += done;  // past an occurrence that reached into the next block
  }
  return {p, at, false};
}

DROSK_WIDE const char* find_either(const char* p, const char* end, char a, char b) {
  const __m512i first = _mm512_set1_epi8(a);
  const __m512i second = _mm512_set1_epi8(b);
  for (; end - p >= static_cast<std::ptrdiff_t>(block); p += block) {
    __m512i bytes = _mm512_loadu_si512(p);
    std::uint64_t hits =
        _mm512_cmpeq_epi8_mask(bytes, first) | _mm512_cmpeq_epi8_mask(bytes, second);
    if (hits != 0) return p + _tzcnt_u64(hits);
  }
  return find_either_by_byte(p, end, a, b);
}

}  // namespace

const char* wide_find_either(const char* from, const char* end, char a, char b) {
  if (!wide_blocks_usable()) return find_either_by_byte(from, end, a, b);
  return find_either(from, end, a, b);
}

bool wide_blocks_usable() {
  // The compiler's runtime checks that the system saves the AVX-512 registers too.
  static const bool usable = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  }();
  return usable;
}

template <bool crlf>
wide_progress map_wide_blocks(const char* from, const char* end, char* to, const char* limit,
                              std::string_view searched, std::string_view replacement) {
  if (searched.empty() || searched.size() > block || replacement.size() > block ||
      (crlf && searched.front() == '\n') || !wide_blocks_usable()) {
    return {from, to, false};
  }
  return map_blocks<crlf>(from, end, to, limit, searched, replacement);
}

template wide_progress map_wide_blocks<false>(const char*, const char*, char*, const char*,
                                              std::string_view, std::string_view);
template wide_progress map_wide_blocks<true>(const char*, const char*, char*, const char*,
                                             std::string_view, std::string_view);

}  // namespace drosk
