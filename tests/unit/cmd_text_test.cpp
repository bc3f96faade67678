#include "text/cmd_text.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

bool shift_jis_lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
}

TEST(EscapeForCmd, CaretsBeforeWhatCmdWouldReadAndAfterEachPercent) {
  struct row {
    std::string_view args;
    std::optional<std::string> handed;
  };
  const row table[] = {
      {"-d out src\\A.java", "-d out src\\A.java"},
      {"-d out src\\R&D\\A.java", "-d out src\\R^&D\\A.java"},
      {"-J-Dx=a^b a|b a>b a<b", "-J-Dx=a^^b a^|b a^>b a^<b"},
      {"\"C:\\Program Files (x86)\\x\"", "^\"C:\\Program Files ^(x86^)\\x^\""},
      {"-J-Dx=\"a", "-J-Dx=^\"a"},
      {"-J-Dx=100%&calc", "-J-Dx=100%^&calc"},
      {"-J-Dx=%OS%", "-J-Dx=%^OS%"},
      {"-J-Dx=%\"a b\"", "-J-Dx=%^\"a b^\""},
      {"%%x 50%", "%^%^x 50%"},
      {"a!b\tc", "a!b\tc"},
      {"a\nb", std::nullopt},
      {"a\rb", std::nullopt},
  };
  for (const row& r : table) EXPECT_EQ(escape_for_cmd(r.args), r.handed) << r.args;
  // A trail byte "|" is part of its character; after a "%" the whole character gets the caret.
  EXPECT_EQ(escape_for_cmd("\x95|a|", shift_jis_lead), "\x95|a^|");
  EXPECT_EQ(escape_for_cmd("%\x95|", shift_jis_lead), "%^\x95|");
}

TEST(CmdCSwitch, AQuotedTextIsHandedWithSInQuotes) {
  EXPECT_EQ(cmd_c_switch("javac x||EXIT 1"), "/c javac x||EXIT 1");
  EXPECT_EQ(cmd_c_switch(" A.java"), "/c  A.java");
  EXPECT_EQ(cmd_c_switch(R"( "C:\Program Files\javac.exe" "a b")"),
            R"(/s /c " "C:\Program Files\javac.exe" "a b"")");
  EXPECT_EQ(cmd_c_text(cmd_c_switch("\"x\" y")), "\"\"x\" y\"");
}

}  // namespace
}  // namespace drosk
