#include "text/split_command_line.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

using split = std::pair<std::string, std::optional<std::string>>;

TEST(SplitCommandLine, NameAndVerbatimArgumentString) {
  EXPECT_EQ(split_command_line("drosk -d out A.java"), split("drosk", "-d out A.java"));
  EXPECT_EQ(split_command_line(R"("C:\Program Files\drosk.exe" -d out A.java)"),
            split(R"(C:\Program Files\drosk.exe)", "-d out A.java"));
  // Blanks after the name are skipped; later spacing, quotes and carets are left as typed.
  EXPECT_EQ(split_command_line("drosk    -g  \"a b\"  ^x"), split("drosk", "-g  \"a b\"  ^x"));
  // A quote in the middle of the name opens a quoted run there.
  EXPECT_EQ(split_command_line("C:\\\"my dir\"\\drosk x"), split("C:\\my dir\\drosk", "x"));
}

TEST(SplitCommandLine, CaretsProtectTheNextCharacter) {
  EXPECT_EQ(split_command_line("my^ tool -g A.java"), split("my tool", "-g A.java"));
  EXPECT_EQ(split_command_line("a^^b^\"c x"), split("a^b\"c", "x"));
  EXPECT_EQ(split_command_line("drosk^"), split("drosk", std::nullopt));
  EXPECT_EQ(split_command_line("\"a^ b\" x"), split("a^ b", "x"));
}

TEST(SplitCommandLine, OnlyABlankEndsTheName) {
  EXPECT_EQ(split_command_line("drosk\t-g A.java"), split("drosk\t-g", "A.java"));
  EXPECT_EQ(split_command_line("drosk\t-g"), split("drosk\t-g", std::nullopt));
}

TEST(SplitCommandLine, NoArguments) {
  EXPECT_EQ(split_command_line(""), split("", std::nullopt));
  EXPECT_EQ(split_command_line("drosk"), split("drosk", std::nullopt));
  EXPECT_EQ(split_command_line("drosk   "), split("drosk", std::nullopt));
  // An unclosed quote takes in the whole line.
  EXPECT_EQ(split_command_line("\"drosk -d out A.java"),
            split("drosk -d out A.java", std::nullopt));
}

TEST(SplitCommandLine, LeadingBlankGivesAnEmptyName) {
  EXPECT_EQ(split_command_line("  drosk -g A.java"), split("", "drosk -g A.java"));
}

}  // namespace
}  // namespace drosk
