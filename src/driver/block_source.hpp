#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace drosk {

// What one read of a block gave.
struct block_read {
  std::string_view bytes;
  bool ended;   // the end of the file, a Ctrl-Z in text mode, or a read error
  bool failed;  // a read error
};

// Reads a file block by block, each block made what text mode reads when asked. With `ahead`, a
// file longer than its first block has the next ones read on a thread of its own into a small
// ring while the caller works on the last, so that the system's copy of a block overlaps that
// work; the blocks are handed over where they were read, not copied.
class block_source {
 public:
  // Whole pages, read straight into the block; under the C library's usual threshold (128 KB) for
  // giving an allocation a mapping of its own, so that blocks come from the heap.
  static constexpr std::size_t block_size = 30 << 12;

  block_source(std::FILE* in, bool text_mode, bool ahead)
      : in_(in), text_mode_(text_mode), ahead_(ahead) {}
  block_source(const block_source&) = delete;
  block_source& operator=(const block_source&) = delete;
  ~block_source();

  // The next block, valid until the next call. Not to be called again after one that ended.
  block_read next();

 private:
  static constexpr std::size_t ring_size = 3;

  block_read read_into(std::size_t slot);
  void read_ahead();

  std::FILE* in_;
  bool text_mode_;
  bool ahead_;
  std::unique_ptr<char[]> ring_[ring_size];
  block_read reads_[ring_size] = {};
  // Blocks handed over, blocks given back (all but the last handed over), blocks read.
  std::size_t handed_ = 0;
  std::size_t given_back_ = 0;
  std::size_t read_ = 0;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread reader_;
};

}  // namespace drosk
