#include "text/arg_file_name.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

// Shift JIS, where a trail byte may be a backslash.
bool shift_jis_lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
}

TEST(ArgFileName, InAVerbatimArgumentString) {
  EXPECT_EQ(arg_file_in_line("-d out @files.txt"), "files.txt");
  EXPECT_EQ(arg_file_in_line("-g @my files.txt"), "my");
  EXPECT_EQ(arg_file_in_line("@first @second"), "first");  // the leading "@" counts too
  EXPECT_EQ(arg_file_in_line("-J-Dx=a@b @list\tx y"), "list");
  EXPECT_EQ(arg_file_in_line("-d out @"), "");
  EXPECT_EQ(arg_file_in_line("-d out @ x"), "");
  EXPECT_EQ(arg_file_in_line("-d user@host"), std::nullopt);
  EXPECT_EQ(arg_file_in_line("-d out A.java"), std::nullopt);
  EXPECT_EQ(arg_file_in_line("-d out @@At.java @list"), "list");
}

TEST(ArgFileName, QuotedAsTheCRuntimeReadsIt) {
  EXPECT_EQ(arg_file_in_line(R"(-d out "@my files.txt" x)"), "my files.txt");
  EXPECT_EQ(arg_file_in_line(R"(-d out @"my files.txt")"), "my files.txt");
  EXPECT_EQ(arg_file_in_line(R"(-d "out"@x "@"y)"), "y");
  EXPECT_EQ(arg_file_in_line(R"(-g "a b" "@@At.java")"), std::nullopt);
  EXPECT_EQ(arg_file_in_line(R"(@C:\dir\ x)"), R"(C:\dir\)");
  EXPECT_EQ(arg_file_in_line(R"("@C:\my dir\\" x)"), R"(C:\my dir\)");
  EXPECT_EQ(arg_file_in_line(R"(@a\"b c)"), R"(a"b)");
  EXPECT_EQ(arg_file_in_line(R"(@a\\\"b c)"), R"(a\"b)");
  EXPECT_EQ(arg_file_in_line(R"("@a""b c" d)"), R"(a"b c)");
  EXPECT_EQ(arg_file_in_line(R"("@a b)"), "a b");
  // The backslash is the trail byte of a character, not an escape for the quote.
  EXPECT_EQ(arg_file_in_line("\"@\x95\\\" x", shift_jis_lead), "\x95\\");
}

TEST(CloseOpenQuote, ClosesWhereTheCRuntimeLeavesAQuoteOpen) {
  EXPECT_EQ(close_open_quote(R"(-d out "src\B C.java)"), R"(-d out "src\B C.java")");
  EXPECT_EQ(close_open_quote(R"("a\)"), R"("a\\")");
  EXPECT_EQ(close_open_quote(R"("a b \\)"), R"("a b \\\\")");
  EXPECT_EQ(close_open_quote(R"(x ")"), R"(x "")");
  EXPECT_EQ(close_open_quote(R"("\b"")"), R"("\b""")");  // "" within quotes is a plain quote
  EXPECT_EQ(close_open_quote(R"("a" b\ \"c\)"), R"("a" b\ \"c\)");
  EXPECT_EQ(close_open_quote("\"\x95\\", shift_jis_lead), "\"\x95\\\"");
}

// Every string of quotes, backslashes, blanks and letters up to 7 long: what the compiler gets
// from the closed string, with the blank and the rest of a command text after it, is the string's
// own arguments and then the rest's.
TEST(CloseOpenQuote, SplitsAsTheStringItselfThenEndsIt) {
  const std::string alphabet = "\"\\ a";
  std::vector<std::string> strings{""};
  for (std::size_t n = 0; n < strings.size() && strings[n].size() < 7; ++n) {
    for (char c : alphabet) strings.push_back(strings[n] + c);
  }
  for (const std::string& line : strings) {
    std::vector<std::string> expected = split_arguments(line, no_lead_bytes);
    expected.push_back("x");
    EXPECT_EQ(split_arguments(close_open_quote(line) + " x", no_lead_bytes), expected) << line;
  }
}

TEST(ArgFileName, InAnArgumentList) {
  EXPECT_EQ(arg_file_in_list({"-d", "out", "@my files.txt", "@other"}), "my files.txt");
  EXPECT_EQ(arg_file_in_list({"@"}), "");
  EXPECT_EQ(arg_file_in_list({"-d", "a@b"}), std::nullopt);
  EXPECT_EQ(arg_file_in_list({"@@At.java", "@list"}), "list");
}

}  // namespace
}  // namespace drosk
