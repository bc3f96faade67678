// The one-pass substitution against the plain two-step one, where its chunked loop can go wrong:
// occurrences and line ends on and across 16-byte chunk edges, in the last bytes that are looked at
// one by one, long searched texts and replacements, and text already in the output.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "driver/text_mode.hpp"
#include "mapping/replace_all.hpp"

namespace drosk {
namespace {

// Leftmost first, never overlapping, what was inserted never searched again.
std::string plain_replace(std::string_view text, std::string_view searched,
                          std::string_view replacement) {
  if (searched.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(searched, pos)) != std::string_view::npos;) {
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + searched.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string plain_crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string replaced_crlf(std::string_view text, std::string_view searched,
                          std::string_view replacement, std::string out = {}) {
  append_replaced_crlf(out, text, searched, replacement);
  return out;
}

std::string replaced(std::string_view text, std::string_view searched, std::string_view replacement,
                     std::string out = {}) {
  append_replaced(out, text, searched, replacement);
  return out;
}

TEST(ReplacedCrlf, OccurrencesAndLineEndsAtEveryOffset) {
  // Each offset puts the occurrence or the line end at another place in a 16-byte chunk or a
  // 64-byte block, across an edge, or among the last bytes; texts of 64 bytes and more are the
  // longest the blocks take.
  const std::string sixty_four = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789ABCDEF";
  const std::string sixty_five = sixty_four + "!";
  for (std::string_view searched : {std::string_view("build/pp"), std::string_view("b"),
                                    std::string_view("bp"), std::string_view("a/much/longer/x"),
                                    std::string_view(sixty_four), std::string_view(sixty_five)}) {
    for (std::size_t at = 0; at < 290; ++at) {
      std::string text(300, 'x');
      text.replace(at, searched.size(), searched);
      text[(at * 7) % 300] = '\n';
      text[(at * 13 + 5) % 300] = '\n';
      for (std::string_view replacement :
           {std::string_view(""), std::string_view("src"), std::string_view("0123456789abcdefXYZ"),
            std::string_view(sixty_four), std::string_view(sixty_five)}) {
        ASSERT_EQ(replaced_crlf(text, searched, replacement),
                  plain_crlf(plain_replace(text, searched, replacement)))
            << "searched " << searched << " at " << at << " replaced by " << replacement;
        ASSERT_EQ(replaced(text, searched, replacement), plain_replace(text, searched, replacement))
            << "searched " << searched << " at " << at << " replaced by " << replacement;
      }
    }
  }
}

TEST(ReplacedCrlf, AgreesWithReplaceThenCrlf) {
  std::mt19937 random(61208);
  auto random_text = [&](std::size_t max_length, std::string_view alphabet) {
    std::string text(random() % (max_length + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    // Few letters, so that occurrences and near misses are dense; line ends among them.
    std::string alphabet = round % 3 == 0 ? std::string("ab\n") : std::string("abc/\n\r\0", 7);
    std::string text = random_text(round % 10 == 0 ? 2000 : 200, alphabet);
    std::string searched = random_text(round % 7 == 0 ? 24 : 5, alphabet);
    std::string replacement = random_text(round % 5 == 0 ? 40 : 6, alphabet);
    std::string before = random_text(3, alphabet);
    ASSERT_EQ(replaced_crlf(text, searched, replacement, before),
              before + plain_crlf(plain_replace(text, searched, replacement)))
        << "text '" << text << "' searched '" << searched << "' replacement '" << replacement
        << "'";
    ASSERT_EQ(replaced(text, searched, replacement, before),
              before + plain_replace(text, searched, replacement))
        << "text '" << text << "' searched '" << searched << "' replacement '" << replacement
        << "'";
  }
}

TEST(ReplacedCrlf, AReplacementThatGrowsEveryByte) {
  std::string text(5000, 'a');
  std::string replacement(100, 'b');
  replacement[50] = '\n';
  std::string out = replaced_crlf(text, "a", replacement);
  EXPECT_EQ(out.size(), 5000u * 101);
  EXPECT_EQ(out, plain_crlf(plain_replace(text, "a", replacement)));
}

TEST(ReplacedCrlf, AssignedOverWhatTheStringHeld) {
  // Block after block into one string: longer, then shorter, then nothing.
  std::string out(1000, '#');
  std::string longer = std::string(700, 's') + "src\nsrc";
  assign_replaced_crlf(out, longer, "src", "build/pp");
  EXPECT_EQ(out, plain_crlf(plain_replace(longer, "src", "build/pp")));
  assign_replaced_crlf(out, "a src\n", "src", "build/pp");
  EXPECT_EQ(out, "a build/pp\r\n");
  assign_replaced_crlf(out, "", "src", "build/pp");
  EXPECT_EQ(out, "");
}

TEST(ReplacedCrlf, EmptyTextAndEmptySearchedText) {
  EXPECT_EQ(replaced_crlf("", "src", "pp", "kept"), "kept");
  EXPECT_EQ(replaced_crlf("src\nsrc", "", "pp"), "src\r\nsrc");
  EXPECT_EQ(replaced("src", "", "pp", "x"), "xsrc");
}

}  // namespace
}  // namespace drosk
