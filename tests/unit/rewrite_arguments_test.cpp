#include "mapping/rewrite_arguments.hpp"

#include <gtest/gtest.h>

#include "mapping/relay.hpp"
#include "mapping/rewrite_arg_file.hpp"

namespace drosk {
namespace {

using args = std::vector<std::string>;
const Settings src_to_pp{"pre", "javac", "src", "pp"};

TEST(RewriteArguments, OnlyWhenAJavaFileIsMentioned) {
  EXPECT_EQ(rewrite_arguments({R"(-g src\A.java src\B.java)"}, src_to_pp),
            args{R"(-g pp\A.java pp\B.java)"});
  EXPECT_EQ(
      rewrite_arguments({"-classpath", R"(src\lib)", "-d", "out", R"(src\A.java)"}, src_to_pp),
      (args{"-classpath", R"(pp\lib)", "-d", "out", R"(pp\A.java)"}));
  EXPECT_EQ(rewrite_arguments({"-d", "src", "@src/files.txt"}, src_to_pp),
            (args{"-d", "src", "@src/files.txt"}));
  EXPECT_EQ(rewrite_arguments({R"(src\A.JAVA)"}, src_to_pp), args{R"(src\A.JAVA)"});
}

TEST(ArgFileName, InAVerbatimArgumentString) {
  EXPECT_EQ(arg_file_in_line("-d out @files.txt"), "files.txt");
  EXPECT_EQ(arg_file_in_line("-g @my files.txt"), "my");
  EXPECT_EQ(arg_file_in_line("@first @second"), "first");  // the leading "@" counts too
  EXPECT_EQ(arg_file_in_line("-J-Dx=a@b @list\tx y"), "list\tx");
  EXPECT_EQ(arg_file_in_line("-d out @"), "");
  EXPECT_EQ(arg_file_in_line("-d out @ x"), "");
  EXPECT_EQ(arg_file_in_line("-d user@host"), std::nullopt);
  EXPECT_EQ(arg_file_in_line("-d out A.java"), std::nullopt);
}

TEST(ArgFileName, InAnArgumentList) {
  EXPECT_EQ(arg_file_in_list({"-d", "out", "@my files.txt", "@other"}), "my files.txt");
  EXPECT_EQ(arg_file_in_list({"@"}), "");
  EXPECT_EQ(arg_file_in_list({"-d", "a@b"}), std::nullopt);
}

TEST(ArgFileName, TemporaryNameNeverEqualsTheName) {
  EXPECT_EQ(temporary_name("files.txt"), "files.tx_");
  EXPECT_EQ(temporary_name("list_"), "list~");
  EXPECT_EQ(temporary_name("x"), "_");
  EXPECT_EQ(temporary_name("_"), "~");
}

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

TEST(MapMessageLines, MapsBackWithCrLf) {
  std::string out;
  map_message_lines("pp\\A.java:3: error: pp\n", src_to_pp, out);
  EXPECT_EQ(out, "src\\A.java:3: error: src\r\n");
  map_message_lines(std::string("a\0pp", 4), src_to_pp, out);
  EXPECT_EQ(out, std::string("a\0src", 5));
}

}  // namespace
}  // namespace drosk
