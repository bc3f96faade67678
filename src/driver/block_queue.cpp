#include "driver/block_queue.hpp"

#include <utility>

namespace drosk {

bool block_queue::put(std::string& block) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return cancelled_ || waiting_.size() < depth_; });
  if (cancelled_) return false;
  waiting_.push_back(std::move(block));
  block = std::string();
  if (!emptied_.empty()) {
    block.swap(emptied_.back());
    emptied_.pop_back();
    block.clear();
  }
  changed_.notify_all();
  return true;
}

bool block_queue::take(std::string& block) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (block.capacity() > 0) {
    emptied_.push_back(std::move(block));
    block = std::string();
  }
  changed_.wait(lock, [&] { return cancelled_ || closed_ || !waiting_.empty(); });
  if (cancelled_ || waiting_.empty()) return false;
  block.swap(waiting_.front());
  waiting_.pop_front();
  changed_.notify_all();
  return true;
}

void block_queue::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

void block_queue::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
  changed_.notify_all();
}

}  // namespace drosk
