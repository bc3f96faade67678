#include "driver/text_mode.hpp"

#include <gtest/gtest.h>

namespace drosk {
namespace {

TEST(TextRead, DropsEveryCarriageReturnAndStopsAtCtrlZ) {
  std::string out;
  EXPECT_FALSE(append_text_read(out, "a\r\nb\rc\r\r\n"));
  EXPECT_EQ(out, "a\nbc\n");
  out.clear();
  EXPECT_TRUE(append_text_read(out, "key=1\r\nx\x1asource=2\n"));
  EXPECT_EQ(out, "key=1\nx");
}

TEST(TextWrite, EveryLineEndBecomesCrLf) {
  std::string out;
  append_crlf(out, "a\nb\n\nc");
  EXPECT_EQ(out, "a\r\nb\r\n\r\nc");
}

TEST(LfLineEnds, OnlyCrLfPairsLoseTheirCr) {
  std::string out;
  append_lf_line_ends(out, "a\r\nb\r\r\nc\rd\r");
  EXPECT_EQ(out, "a\nb\r\nc\rd\r");
}

}  // namespace
}  // namespace drosk
