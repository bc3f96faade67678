#include "mapping/replace_all.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <tuple>
#include <utility>

#include "driver/text_mode.hpp"
#include "mapping/chunk_marks.hpp"
#include "mapping/wide_blocks.hpp"

namespace drosk {
namespace {

// Makes room for `needed` more bytes after `at` in `out`, at least doubling it, and gives the new
// `at` and end of `out`. Out of the loop, so that the loop keeps its pointers in registers.
std::pair<char*, char*> grow(std::string& out, char* at, std::size_t needed) {
  std::size_t written = at - out.data();
  out.resize(std::max(out.size() * 2, written + needed));
  return {out.data() + written, out.data() + out.size()};
}

// Room for `size` bytes of text, a CR per 16 bytes and, for a longer replacement, an eighth more;
// more is made when that is not enough.
template <bool crlf>
std::size_t room_for(std::size_t size, std::size_t searched_size, std::size_t replacement_size) {
  return size + (crlf ? size / 16 : 0) + (replacement_size > searched_size ? size / 8 : 0);
}

// Maps what the 64-byte loop takes of `text` into `out` from `written` on, and gives how much of
// the text it took; `written` moves on past what it wrote.
template <bool crlf>
std::size_t write_wide_blocks(std::string& out, std::size_t& written, std::string_view text,
                              std::string_view searched, std::string_view replacement) {
  const std::size_t r = replacement.size();
  out.resize(written + room_for<crlf>(text.size(), searched.size(), r) + wide_block_room(r));
  char* at = out.data() + written;
  char* limit = out.data() + out.size();
  const char* p = text.data();
  for (;;) {
    wide_progress run =
        map_wide_blocks<crlf>(p, text.data() + text.size(), at, limit, searched, replacement);
    p = run.from;
    at = run.to;
    if (!run.needs_room) break;
    std::tie(at, limit) = grow(out, at, wide_block_room(r));
  }
  written = at - out.data();
  return p - text.data();
}

// The one pass behind them all: copies `text` into `out` from `written` on, with each occurrence
// of `searched` replaced and, with `crlf`, each LF written as CR LF. The output is written through
// a pointer into room made ahead, and cut to what was written at the end. Where the processor
// can, the 64-byte loop takes the text first, and the 16-byte loop below what it leaves.
template <bool crlf>
void write_mapped(std::string& out, std::size_t written, std::string_view text,
                  std::string_view searched, std::string_view replacement) {
  if (text.size() >= wide_block_reach && wide_blocks_usable()) {
    text.remove_prefix(write_wide_blocks<crlf>(out, written, text, searched, replacement));
  }
  if (text.empty()) {
    out.resize(written);
    return;
  }
  const char* p = text.data();
  const char* const end = p + text.size();
  const std::size_t n = searched.size();
  const std::size_t r = replacement.size();
  // Short searched texts and replacements, as paths are, are compared and copied as one chunk.
  char short_searched[chunk_size] = {};
  char short_replacement[chunk_size] = {};
  if (n > 0 && n <= chunk_size) std::memcpy(short_searched, searched.data(), n);
  if (r > 0 && r <= chunk_size) std::memcpy(short_replacement, replacement.data(), r);
  // Whether an occurrence begins at `from`; `whole_chunk` when 16 bytes can be read there.
  auto occurs_at = [&](const char* from, bool whole_chunk) {
    if (n == 0 || *from != searched.front() || static_cast<std::size_t>(end - from) < n) {
      return false;
    }
    if (n <= chunk_size && whole_chunk) return same_short_text(from, short_searched, n);
    return std::memcmp(from, searched.data(), n) == 0;
  };

  // Bytes that `out` already holds past `written` are reused as room rather than cleared again.
  out.resize(written + room_for<crlf>(text.size(), n, r) + 3 * chunk_size + r);
  char* at = out.data() + written;
  char* limit = out.data() + out.size();
  auto make_room = [&out](char*& to, char*& room_end, std::size_t needed) {
    if (static_cast<std::size_t>(room_end - to) < needed) [[unlikely]] {
      std::tie(to, room_end) = grow(out, to, needed);
    }
  };
  // Room for 16 bytes is always made, so a short replacement is written as one chunk.
  auto put_replacement = [&] {
    if (r <= chunk_size) {
      std::memcpy(at, short_replacement, chunk_size);
    } else {
      std::memcpy(at, replacement.data(), r);
    }
    at += r;
  };

  // 16 bytes at a time: each chunk is copied whole, then the line ends and the occurrence in it
  // are dealt with. A chunk writes at most 48 bytes past `at`, or the replacement 32 bytes on.
  const chunk_sieve sieve = n > 0 ? chunk_sieve('\n', searched.front(), searched.back(), n - 1)
                                  : chunk_sieve('\n', '\n', '\n', 0);
  const std::size_t reach = std::max(sieve.distance() + chunk_size, 2 * chunk_size);
  while (static_cast<std::size_t>(end - p) >= reach) {
    make_room(at, limit, 3 * chunk_size + r);
    chunk_marks marks = sieve.mark(p);
    unsigned line_ends = crlf ? marks.line_ends : 0;
    unsigned starts = n > 0 ? marks.starts : 0;
    std::memcpy(at, p, chunk_size);
    if ((line_ends | starts) == 0) {
      p += chunk_size;
      at += chunk_size;
      continue;
    }
    // Each line end before the first start becomes CR LF, moving the bytes after it one on. The
    // loads stay within this chunk's reach, so none waits for the one before.
    int first_start = starts != 0 ? std::countr_zero(starts) : static_cast<int>(chunk_size);
    std::size_t shift = 0;
    for (unsigned ends = line_ends & ((1u << first_start) - 1); ends != 0; ends &= ends - 1) {
      int k = std::countr_zero(ends);
      at[k + shift] = '\r';
      ++shift;
      std::memcpy(at + k + shift, p + k, chunk_size);
    }
    if (starts == 0) {
      p += chunk_size;
      at += chunk_size + shift;
      continue;
    }
    p += first_start;
    at += first_start + shift;
    if (occurs_at(p, true)) {
      put_replacement();
      p += n;
    } else if (crlf && *p == '\n') {  // a searched text that begins with a line end
      at[0] = '\r';
      at[1] = '\n';
      at += 2;
      ++p;
    } else {
      *at++ = *p++;
    }
  }
  // The last bytes, one at a time.
  while (p != end) {
    make_room(at, limit, chunk_size + r);
    if (occurs_at(p, false)) {
      put_replacement();
      p += n;
    } else if (crlf && *p == '\n') {
      at[0] = '\r';
      at[1] = '\n';
      at += 2;
      ++p;
    } else {
      *at++ = *p++;
    }
  }
  out.resize(at - out.data());
}

}  // namespace

void append_replaced(std::string& out, std::string_view text, std::string_view searched,
                     std::string_view replacement) {
  if (searched.empty()) {
    out.append(text);
    return;
  }
  write_mapped<false>(out, out.size(), text, searched, replacement);
}

namespace {

void write_replaced_crlf(std::string& out, std::size_t written, std::string_view text,
                         std::string_view searched, std::string_view replacement) {
  // Settings hold no LF, so the replacement is used as it is; any other is converted once.
  std::string converted;
  if (replacement.find('\n') != std::string_view::npos) {
    append_crlf(converted, replacement);
    replacement = converted;
  }
  write_mapped<true>(out, written, text, searched, replacement);
}

}  // namespace

void append_replaced_crlf(std::string& out, std::string_view text, std::string_view searched,
                          std::string_view replacement) {
  write_replaced_crlf(out, out.size(), text, searched, replacement);
}

void assign_replaced_crlf(std::string& out, std::string_view text, std::string_view searched,
                          std::string_view replacement) {
  write_replaced_crlf(out, 0, text, searched, replacement);
}

void replace_all(std::string_view searched, std::string_view replacement, std::string& text) {
  if (searched.empty() || searched == replacement) return;
  if (text.find(searched) == std::string::npos) return;
  std::string out;
  append_replaced(out, text, searched, replacement);
  text.swap(out);
}

}  // namespace drosk
