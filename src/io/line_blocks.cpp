#include "io/line_blocks.hpp"

#include <cstring>

namespace drosk {

std::optional<std::string_view> line_blocks::next() {
  // The text handed over last is done with: the unfinished line after it moves to the front.
  kept_ -= handed_;
  std::memmove(buffer_.data(), buffer_.data() + handed_, kept_);
  handed_ = 0;
  while (!ended_) {
    if (buffer_.size() - kept_ < block_size) buffer_.resize(kept_ + block_size);
    char* fresh = buffer_.data() + kept_;
    std::size_t got = std::fread(fresh, 1, block_size, in_);
    if (got < block_size && std::ferror(in_)) return std::nullopt;
    read_mode_result kept = apply_read_mode(fresh, got, mode_);
    ended_ = got < block_size || kept.stopped;
    std::size_t last_lf = std::string_view(fresh, kept.size).rfind('\n');
    kept_ += kept.size;
    if (last_lf != std::string_view::npos) {
      handed_ = fresh - buffer_.data() + last_lf + 1;
      return std::string_view(buffer_.data(), handed_);
    }
  }
  if (kept_ == 0) return std::nullopt;
  handed_ = kept_;
  return std::string_view(buffer_.data(), kept_);
}

}  // namespace drosk
