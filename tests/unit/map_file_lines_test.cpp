// A file's lines mapped into another: the same bytes in the same order, and a failed write
// reported.
#include "io/map_file_lines.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "io/text_file.hpp"

namespace drosk {
namespace {

// Numbered lines of varied lengths, so that a block out of place or lost shows.
std::string numbered_lines(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += std::to_string(i) + std::string(i * 7 % 90, 'x') + "\n";
  }
  return text + "a last line without an end";
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Files of the running test's own, so that tests run side by side do not meet.
std::string test_file(const char* suffix) {
  return std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + suffix;
}

void write_file(const std::string& name, const std::string& content) {
  file_ptr file(std::fopen(name.c_str(), "wb"));
  ASSERT_TRUE(file);
  std::fwrite(content.data(), 1, content.size(), file.get());
}

std::string read_file(const std::string& name) {
  file_ptr file(std::fopen(name.c_str(), "rb"));
  std::string content;
  char buffer[4096];
  for (std::size_t got; file && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    content.append(buffer, got);
  }
  return content;
}

// Maps in.tmp into out.tmp, upper-casing it; `out_mode` "rb" makes every write fail.
lines_mapped map_upper(const char* out_mode = "wb") {
  file_ptr in(std::fopen(test_file(".in").c_str(), "rb"));
  file_ptr out(std::fopen(test_file(".out").c_str(), out_mode));
  EXPECT_TRUE(in && out);
  std::string work;
  return map_file_lines(
      in.get(), read_mode::bytes, work,
      [](std::string_view lines, std::string& made) { made += upper(lines); },
      [&](std::string_view made) { return write_bytes(out.get(), made); });
}

TEST(MapFileLines, TheSameBytesInOrder) {
  for (std::size_t size : {std::size_t{1000}, std::size_t{3} << 20}) {
    std::string content = numbered_lines(size);
    write_file(test_file(".in"), content);
    lines_mapped done = map_upper();
    EXPECT_TRUE(done.read && done.written);
    EXPECT_EQ(read_file(test_file(".out")), upper(content)) << size;
  }
  std::remove(test_file(".in").c_str());
  std::remove(test_file(".out").c_str());
}

TEST(MapFileLines, AFailedWriteIsReported) {
  for (std::size_t size : {std::size_t{1000}, std::size_t{3} << 20}) {
    write_file(test_file(".in"), numbered_lines(size));
    write_file(test_file(".out"), "");
    lines_mapped done = map_upper("rb");
    EXPECT_TRUE(done.read) << size;
    EXPECT_FALSE(done.written) << size;
  }
  std::remove(test_file(".in").c_str());
  std::remove(test_file(".out").c_str());
}

}  // namespace
}  // namespace drosk
