#include "mapping/rewrite_arguments.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

using args = std::vector<std::string>;
const Settings src_to_pp{"pre", "javac", "src", "pp"};

TEST(RewriteArguments, OnlyWhenAJavaFileIsMentioned) {
  EXPECT_EQ(rewrite_arguments(std::string(R"(-g src\A.java src\B.java)"), src_to_pp),
            R"(-g pp\A.java pp\B.java)");
  EXPECT_EQ(
      rewrite_arguments({"-classpath", R"(src\lib)", "-d", "out", R"(src\A.java)"}, src_to_pp),
      (args{"-classpath", R"(pp\lib)", "-d", "out", R"(pp\A.java)"}));
  EXPECT_EQ(rewrite_arguments({"-d", "src", "@src/files.txt"}, src_to_pp),
            (args{"-d", "src", "@src/files.txt"}));
  EXPECT_EQ(rewrite_arguments(args{R"(src\A.JAVA)"}, src_to_pp), args{R"(src\A.JAVA)"});
}

}  // namespace
}  // namespace drosk
