#include "text/text_mode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace drosk {
namespace {

// What `mode` keeps of `raw`, and whether a Ctrl-Z stopped it.
std::pair<std::string, bool> text_read(std::string raw, read_mode mode = read_mode::text) {
  read_mode_result kept = apply_read_mode(raw.data(), raw.size(), mode);
  raw.resize(kept.size);
  return {raw, kept.stopped};
}

TEST(TextRead, FindsACrOrCtrlZAtAnyPlaceOfALongRead) {
  for (std::size_t at = 0; at < 300; ++at) {
    std::string raw(300, 'x');
    raw[at] = '\r';
    EXPECT_EQ(text_read(raw), std::make_pair(std::string(299, 'x'), false)) << at;
    raw[at] = '\x1a';
    EXPECT_EQ(text_read(raw), std::make_pair(std::string(at, 'x'), true)) << at;
  }
  EXPECT_EQ(text_read(std::string(300, 'x')), std::make_pair(std::string(300, 'x'), false));
}

TEST(TextRead, DropsEveryCarriageReturnAndStopsAtCtrlZ) {
  EXPECT_EQ(text_read("a\r\nb\rc\r\r\n"), std::make_pair(std::string("a\nbc\n"), false));
  EXPECT_EQ(text_read("key=1\r\nx\x1asource=2\n"), std::make_pair(std::string("key=1\nx"), true));
  EXPECT_EQ(text_read("\r\rab\r"), std::make_pair(std::string("ab"), false));
  EXPECT_EQ(text_read("a\rb\x1a\r"), std::make_pair(std::string("ab"), true));
  EXPECT_EQ(text_read(""), std::make_pair(std::string(), false));
}

TEST(TextRead, PastEofCarriesCtrlZAndBytesKeepsAll) {
  EXPECT_EQ(text_read("a\x1a\r\nb\r\x1a", read_mode::text_past_eof),
            std::make_pair(std::string("a\x1a\nb\x1a"), false));
  EXPECT_EQ(text_read("a\x1a\r\n", read_mode::bytes),
            std::make_pair(std::string("a\x1a\r\n"), false));
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
