#include "driver/map_file_lines.hpp"

#include <optional>
#include <system_error>
#include <thread>

#include "driver/block_queue.hpp"
#include "driver/text_file.hpp"

namespace drosk {
namespace {

constexpr long threaded_size = 1L << 20;
// Blocks waiting to be written: enough to even out the two paces, few enough to stay small.
constexpr std::size_t queue_depth = 2;

// Whether `in` has more than `size` bytes left. A stream that cannot seek says no; one too long
// to tell says yes.
bool longer_than(std::FILE* in, long size) {
  long here = std::ftell(in);
  if (here < 0 || std::fseek(in, 0, SEEK_END) != 0) return false;
  long end = std::ftell(in);
  if (std::fseek(in, here, SEEK_SET) != 0) return false;
  return end < 0 || end - here > size;
}

lines_mapped map_here(std::FILE* in, bool text_mode, std::FILE* out, std::string& work,
                      const std::function<void(std::string_view, std::string&)>& map,
                      bool read_ahead = false) {
  bool written = true;
  bool read = read_line_blocks(
      in, text_mode,
      [&](std::string_view lines) {
        map(lines, work);
        written = write_bytes(out, work);
        return written;
      },
      read_ahead);
  return {read, written};
}

// Writes the blocks put to it, in order, on a thread of its own.
class block_writer {
 public:
  // Throws std::system_error where no thread can be had.
  explicit block_writer(std::FILE* out) : blocks_(queue_depth) {
    thread_ = std::thread([this, out] { write(out); });
  }
  block_writer(const block_writer&) = delete;
  block_writer& operator=(const block_writer&) = delete;
  ~block_writer() {
    blocks_.cancel();
    if (thread_.joinable()) thread_.join();
  }

  // Queues `block` and leaves an empty one in its place; false once a write has failed.
  bool put(std::string& block) { return blocks_.put(block); }

  // Writes what is queued, and tells whether all of it was written.
  bool finish() {
    blocks_.close();
    thread_.join();
    return written_;
  }

 private:
  void write(std::FILE* out) {
    try {
      std::string block;
      while (blocks_.take(block)) {
        if (!write_bytes(out, block)) {
          written_ = false;
          blocks_.cancel();
        }
      }
    } catch (...) {  // out of memory: the blocks that are left are not written
      written_ = false;
      blocks_.cancel();
    }
  }

  block_queue blocks_;
  bool written_ = true;  // set by the thread, read once it has been joined
  std::thread thread_;
};

lines_mapped map_writing_behind(std::FILE* in, bool text_mode, std::FILE* out, std::string& work,
                                const std::function<void(std::string_view, std::string&)>& map) {
  std::optional<block_writer> writer;
  try {
    writer.emplace(out);
  } catch (const std::system_error&) {
    return map_here(in, text_mode, out, work, map);
  }
  bool read = read_line_blocks(in, text_mode, [&](std::string_view lines) {
    map(lines, work);
    return writer->put(work);
  });
  return {read, writer->finish()};
}

}  // namespace

lines_mapped map_file_lines(std::FILE* in, bool text_mode, std::FILE* out, std::string& work,
                            overlap side,
                            const std::function<void(std::string_view, std::string&)>& map) {
  // On one core a second thread would only take turns with this one.
  if (!longer_than(in, threaded_size) || std::thread::hardware_concurrency() == 1) {
    return map_here(in, text_mode, out, work, map);
  }
  if (side == overlap::reading) return map_here(in, text_mode, out, work, map, true);
  return map_writing_behind(in, text_mode, out, work, map);
}

}  // namespace drosk
