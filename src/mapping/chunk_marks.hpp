#pragma once

#include <cstddef>
#include <cstring>

// DROSK_NO_SIMD builds the byte-by-byte loop that processors without SSE2 run, so that tests can
// run it everywhere.
#if defined(__SSE2__) && !defined(DROSK_NO_SIMD)
#define DROSK_SSE2 1
#include <emmintrin.h>
#endif

// The substitution looks at its text 16 bytes at a time. With SSE2 (every x86-64) a chunk is
// judged in a few instructions; elsewhere the same is done byte by byte.
namespace drosk {

constexpr std::size_t chunk_size = 16;

// Bit i of each mark stands for the byte at p + i.
struct chunk_marks {
  unsigned line_ends;
  unsigned starts;
};

// What the substitution must stop at: line ends, and the places where the searched text may begin
// (its first byte there, and its last byte `distance` further on). Sieving on two bytes keeps
// false starts rare. Made once per text, so that the loop only compares.
class chunk_sieve {
 public:
  chunk_sieve(char line_end, char first, char last, std::size_t distance)
      : distance_(distance),
#if defined(DROSK_SSE2)
        line_end_(_mm_set1_epi8(line_end)),
        first_(_mm_set1_epi8(first)),
        last_(_mm_set1_epi8(last)) {
  }
#else
        line_end_(line_end),
        first_(first),
        last_(last) {
  }
#endif

  std::size_t distance() const {
    return distance_;
  }

  // Reads p[0] to p[distance + 15].
  chunk_marks mark(const char* p) const {
#if defined(DROSK_SSE2)
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i ahead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + distance_));
    __m128i starts = _mm_and_si128(_mm_cmpeq_epi8(bytes, first_), _mm_cmpeq_epi8(ahead, last_));
    return {static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, line_end_))),
            static_cast<unsigned>(_mm_movemask_epi8(starts))};
#else
    chunk_marks marks{0, 0};
    for (std::size_t i = 0; i < chunk_size; ++i) {
      marks.line_ends |= static_cast<unsigned>(p[i] == line_end_) << i;
      marks.starts |= static_cast<unsigned>(p[i] == first_ && p[i + distance_] == last_) << i;
    }
    return marks;
#endif
  }

 private:
  std::size_t distance_;
#if defined(DROSK_SSE2)
  __m128i line_end_, first_, last_;
#else
  char line_end_, first_, last_;
#endif
};

// Whether the `n` bytes at p (n <= 16) are the first `n` of `padded`. Reads p[0] to p[15] and all
// 16 bytes of `padded`.
inline bool same_short_text(const char* p, const char* padded, std::size_t n) {
#if defined(DROSK_SSE2)
  __m128i same = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded)));
  unsigned wanted = (1u << n) - 1;
  return (static_cast<unsigned>(_mm_movemask_epi8(same)) & wanted) == wanted;
#else
  return std::memcmp(p, padded, n) == 0;
#endif
}

}  // namespace drosk
