// The block reader: whole lines only, whatever the blocks that the file is read in; lines far
// longer than a block, and text mode's CR and Ctrl-Z across block edges.
#include "io/text_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace drosk {
namespace {

constexpr std::size_t block = block_size;

// What read_line_blocks hands over for a file holding `content`.
std::vector<std::string> blocks_of(const std::string& content, read_mode mode,
                                   std::size_t stop_after = 0) {
  // A file of its own test's name in the current directory: every platform's tests can write
  // there, and tests run side by side do not meet.
  std::string name =
      std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".tmp";
  file_ptr file(std::fopen(name.c_str(), "w+b"));
  EXPECT_TRUE(file);
  std::fwrite(content.data(), 1, content.size(), file.get());
  std::rewind(file.get());
  std::vector<std::string> taken;
  EXPECT_TRUE(read_line_blocks(file.get(), mode, [&](std::string_view lines) {
    taken.emplace_back(lines);
    return taken.size() != stop_after;
  }));
  file.reset();
  std::remove(name.c_str());
  return taken;
}

std::string joined(const std::vector<std::string>& blocks) {
  std::string all;
  for (const std::string& b : blocks) all += b;
  return all;
}

TEST(ReadLineBlocks, HandsOverWholeLinesOnly) {
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

TEST(ReadLineBlocks, ALineLongerThanSeveralBlocksComesWhole) {
  std::string longest(3 * block + 5, 'x');
  std::string content = "first\n" + longest + "\nshort\n";
  std::vector<std::string> taken = blocks_of(content, read_mode::bytes);
  EXPECT_EQ(joined(taken), content);
  bool whole = false;
  for (const std::string& b : taken) whole = whole || b.find(longest + "\n") != std::string::npos;
  EXPECT_TRUE(whole);
}

TEST(ReadLineBlocks, TextModeAcrossBlockEdges) {
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

TEST(ReadLineBlocks, StopsWhenTold) {
  std::string content;
  for (int i = 0; i < 3; ++i) content += std::string(block, 'z') + "\n";
  std::vector<std::string> taken = blocks_of(content, read_mode::bytes, 1);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_LT(taken[0].size(), content.size());
}

TEST(ReadLineBlocks, EmptyFileHandsOverNothing) {
  EXPECT_TRUE(blocks_of("", read_mode::bytes).empty());
  EXPECT_TRUE(blocks_of("\x1a", read_mode::text).empty());
}

}  // namespace
}  // namespace drosk
