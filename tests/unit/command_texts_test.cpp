#include "text/command_texts.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

TEST(CommandTexts, AreFormedExactly) {
  EXPECT_EQ(preprocess_command_text("pp.bat src pp"), "pp.bat src pp||EXIT 1");
  EXPECT_EQ(compile_command_text("javac", "-g pp\\A.java"),
            "javac -g pp\\A.java 2>__stderr__.log||EXIT 1");
  // An empty compiler command makes the text begin with a blank.
  EXPECT_EQ(compile_command_text("", "A.java"), " A.java 2>__stderr__.log||EXIT 1");
}

}  // namespace
}  // namespace drosk
