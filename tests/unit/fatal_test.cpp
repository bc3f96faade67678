#include "io/fatal.hpp"

#include <gtest/gtest.h>

#include <string>

namespace drosk {
namespace {

TEST(FormatMessage, FillsTextAndIntegerPlaceholders) {
  EXPECT_EQ(format_message("%s: Can't open", {"files.txt"}), "files.txt: Can't open");
  EXPECT_EQ(format_message("drosk.ini:%d: Error", {7LL}), "drosk.ini:7: Error");
  EXPECT_EQ(format_message("%s: Can't open", {""}), ": Can't open");
  EXPECT_EQ(format_message("javac commandline not found"), "javac commandline not found");
}

TEST(FormatMessage, ValuesAreNeverFormats) {
  EXPECT_EQ(format_message("%s: Can't open", {"%s%d%n%x"}), "%s%d%n%x: Can't open");
  // A value missing for a placeholder gives nothing, rather than reading past the values.
  EXPECT_EQ(format_message("%s|%s", {"a"}), "a|");
}

TEST(FormatMessage, CutAt1023Characters) {
  std::string name(2000, 'n');
  std::string message = format_message("%s: Can't open", {name});
  EXPECT_EQ(message, std::string(1023, 'n'));
  EXPECT_EQ(format_message("%s", {std::string(1023, 'a')}).size(), 1023u);
}

}  // namespace
}  // namespace drosk
