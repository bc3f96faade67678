#include "platform/arg_file_name.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

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

}  // namespace
}  // namespace drosk
