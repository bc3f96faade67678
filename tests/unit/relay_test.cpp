#include "mapping/relay.hpp"

#include <gtest/gtest.h>

#include <string>

namespace drosk {
namespace {

const Settings src_to_pp{"pre", "javac", "src", "pp"};

TEST(MapMessageLines, MapsBackWithCrLf) {
  std::string out;
  map_message_lines("pp\\A.java:3: error: pp\n", src_to_pp, out);
  EXPECT_EQ(out, "src\\A.java:3: error: src\r\n");
  out.clear();
  map_message_lines(std::string("a\0pp", 4), src_to_pp, out);
  EXPECT_EQ(out, std::string("a\0src", 5));
}

}  // namespace
}  // namespace drosk
