#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace drosk {

// Hands blocks of text from one thread to another, a few at most waiting, and hands emptied ones
// back so that their memory is used again.
class block_queue {
 public:
  explicit block_queue(std::size_t depth) : depth_(depth) {}

  // Queues `block`, waiting while `depth` blocks wait already, and leaves an empty block in its
  // place to fill next. False, with nothing queued, once the queue is cancelled.
  bool put(std::string& block);

  // Gives the next block in `block`, and takes back for reuse the one `block` held. False once the
  // queue is closed and empty, or cancelled.
  bool take(std::string& block);

  // Nothing more will be put: the taker gets what waits, then false.
  void close();

  // One side gives up: every call, waiting or to come, returns false.
  void cancel();

 private:
  std::size_t depth_;
  std::deque<std::string> waiting_;
  std::vector<std::string> emptied_;
  bool closed_ = false;
  bool cancelled_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace drosk
