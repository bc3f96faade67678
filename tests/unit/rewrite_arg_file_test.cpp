#include "mapping/rewrite_arg_file.hpp"

#include <gtest/gtest.h>

#include <string>

namespace drosk {
namespace {

const Settings src_to_pp{"pre", "javac", "src", "pp"};

std::string rewritten(std::string_view raw, const Settings& settings = src_to_pp) {
  std::string scratch, out;
  rewrite_arg_lines(raw, settings, scratch, out);
  return out;
}

TEST(RewriteArgLines, ReplacesAndWritesCrLf) {
  EXPECT_EQ(rewritten("src/A.java\nsrc/B.java\n"), "pp/A.java\r\npp/B.java\r\n");
  EXPECT_EQ(rewritten("src/A.java\r\nsrc/B.java"), "pp/A.java\r\npp/B.java");
}

TEST(RewriteArgLines, KeepsEveryOtherByte) {
  EXPECT_EQ(rewritten("a\r\r\nb\rc\r"), "a\r\r\nb\rc\r");
  EXPECT_EQ(rewritten(std::string("src\0src\x1asrc\n", 12)), std::string("pp\0pp\x1app\r\n", 10));
  // A lone CR brought next to the line end by the substitution stays a byte of the line.
  EXPECT_EQ(rewritten("x\rsrc\n", {"p", "j", "src", ""}), "x\r\r\n");
}

TEST(TemporaryName, NeverEqualsTheName) {
  EXPECT_EQ(temporary_name("files.txt"), "files.tx_");
  EXPECT_EQ(temporary_name("list_"), "list~");
  EXPECT_EQ(temporary_name("x"), "_");
  EXPECT_EQ(temporary_name("_"), "~");
}

}  // namespace
}  // namespace drosk
