// The block reader: whole lines only, whatever the blocks that the file is read in; lines far
// longer than a block, and text mode's CR and Ctrl-Z across block edges.
#include "io/line_blocks.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "io/file_ptr.hpp"

namespace drosk {
namespace {

constexpr std::size_t block = block_size;

// A file of its own test's name in the current directory: every platform's tests can write
// there, and tests run side by side do not meet.
std::string test_file() {
  return std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".tmp";
}

// What line_blocks hands over for a file holding `content`.
std::vector<std::string> blocks_of(const std::string& content, read_mode mode) {
  file_ptr file(std::fopen(test_file().c_str(), "w+b"));
  EXPECT_TRUE(file);
  std::fwrite(content.data(), 1, content.size(), file.get());
  std::rewind(file.get());
  std::vector<std::string> taken;
  line_blocks blocks(file.get(), mode);
  while (auto lines = blocks.next()) taken.emplace_back(*lines);
  EXPECT_FALSE(blocks.failed());
  EXPECT_FALSE(blocks.next());
  file.reset();
  std::remove(test_file().c_str());
  return taken;
}

std::string joined(const std::vector<std::string>& blocks) {
  std::string all;
  for (const std::string& b : blocks) all += b;
  return all;
}

TEST(LineBlocks, HandsOverWholeLinesOnly) {
  std::string content;
  for (std::size_t i = 0; content.size() < 5 * block; ++i) {
    content.append(i * 37 % 300, static_cast<char>('a' + i % 26));
    content += '\n';
  }
  content += "last line without an end";
  std::vector<std::string> taken = blocks_of(content, read_mode::bytes);
  ASSERT_GE(taken.size(), 5u);
  for (std::size_t i = 0; i + 1 < taken.size(); ++i) EXPECT_EQ(taken[i].back(), '\n') << i;
  EXPECT_EQ(taken.back(), content.substr(content.rfind('\n') + 1));
  EXPECT_EQ(joined(taken), content);
}

TEST(LineBlocks, ALineLongerThanSeveralBlocksComesWhole) {
  std::string longest(3 * block + 5, 'x');
  std::string content = "first\n" + longest + "\nshort\n";
  std::vector<std::string> taken = blocks_of(content, read_mode::bytes);
  EXPECT_EQ(joined(taken), content);
  bool whole = false;
  for (const std::string& b : taken) whole = whole || b.find(longest + "\n") != std::string::npos;
  EXPECT_TRUE(whole);
}

TEST(LineBlocks, TextModeAcrossBlockEdges) {
  // A CR LF pair split by the edge of the first block, a lone CR on the next edge, then a Ctrl-Z
  // after which nothing is read.
  std::string content(block - 1, 'a');
  content += "\r\n";
  content.append(block - 2, 'b');
  content += "\rc\n";
  content += "tail\x1aunread\n";
  std::string expected(block - 1, 'a');
  expected += "\n";
  expected.append(block - 2, 'b');
  expected += "c\ntail";
  EXPECT_EQ(joined(blocks_of(content, read_mode::text)), expected);
  EXPECT_EQ(joined(blocks_of(content, read_mode::bytes)), content);
}

TEST(LineBlocks, ACtrlZInAFullBlockEndsTheFile) {
  // Nothing after the Ctrl-Z is read, neither the rest of its block nor the blocks that follow.
  std::string content = "head\ntail\x1a";
  content.resize(block, 'z');
  content += "javac=after\n";
  EXPECT_EQ(joined(blocks_of(content, read_mode::text)), "head\ntail");
}

TEST(LineBlocks, AReadErrorIsNotTheEnd) {
  file_ptr file(std::fopen(test_file().c_str(), "wb"));  // open for writing only: reads fail
  ASSERT_TRUE(file);
  std::fwrite("some\nlines\n", 1, 12, file.get());
  line_blocks blocks(file.get(), read_mode::bytes);
  EXPECT_FALSE(blocks.next());
  EXPECT_TRUE(blocks.failed());
  file.reset();
  std::remove(test_file().c_str());
}

TEST(LineBlocks, EmptyFileHandsOverNothing) {
  EXPECT_TRUE(blocks_of("", read_mode::bytes).empty());
  EXPECT_TRUE(blocks_of("\x1a", read_mode::text).empty());
}

}  // namespace
}  // namespace drosk
