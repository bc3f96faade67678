#include "driver/block_source.hpp"

#include <system_error>

#include "driver/text_mode.hpp"

namespace drosk {

block_source::~block_source() {
  if (!reader_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  reader_.join();
}

block_read block_source::read_into(std::size_t slot) {
  if (!ring_[slot]) ring_[slot] = std::make_unique_for_overwrite<char[]>(block_size);
  char* data = ring_[slot].get();
  std::size_t got = std::fread(data, 1, block_size, in_);
  bool ended = got < block_size;
  bool failed = ended && std::ferror(in_);
  if (text_mode_) {
    bool stopped;
    got = keep_text_read(data, got, stopped);
    ended = ended || stopped;
  }
  return {std::string_view(data, got), ended, failed};
}

void block_source::read_ahead() {
  for (std::size_t n = read_;; ++n) {
    {
      // Never into a block not yet given back.
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || n - given_back_ < ring_size; });
      if (stopping_) return;
    }
    block_read read = read_into(n % ring_size);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reads_[n % ring_size] = read;
      read_ = n + 1;
    }
    changed_.notify_all();
    if (read.ended) return;
  }
}

block_read block_source::next() {
  if (!reader_.joinable()) {
    block_read read = read_into(0);
    ++handed_;
    if (read.ended || handed_ > 1 || !ahead_) return read;
    // Longer than a block: the rest is read ahead, or, where no thread can be had, here.
    read_ = 1;
    try {
      reader_ = std::thread([this] { read_ahead(); });
    } catch (const std::system_error&) {
    }
    return read;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  given_back_ = handed_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return read_ > handed_; });
  return reads_[handed_++ % ring_size];
}

}  // namespace drosk
