#include "text/replace_all.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "support/reference_replace.hpp"
#include "text/text_mode.hpp"

namespace drosk {
namespace {

std::string replaced(std::string text, std::string_view searched, std::string_view replacement) {
  replace_all(searched, replacement, text);
  return text;
}

// Texts of up to `max_length` bytes drawn from `alphabet`.
auto random_texts(std::mt19937& random) {
  return [&random](std::size_t max_length, std::string_view alphabet) {
    std::string text(random() % (max_length + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
  EXPECT_EQ(replaced(R"(-d out src\A.java src\B.java)", "src", "build"),
            R"(-d out build\A.java build\B.java)");
  EXPECT_EQ(replaced(R"(SRC\A.java)", "src", "build"), R"(SRC\A.java)");
  EXPECT_EQ(replaced(R"(mysrc\A.java src2\B.java)", "src", "pp"), R"(mypp\A.java pp2\B.java)");
  EXPECT_EQ(replaced("no such text", "src", "pp"), "no such text");
  EXPECT_EQ(replaced("src", "src", "pp"), "pp");
}

TEST(ReplaceAll, InsertedTextIsNeverSearchedAgain) {
  EXPECT_EQ(replaced(R"(C:\p\A.java)", R"(C:\p)", R"(C:\p\gen)"), R"(C:\p\gen\A.java)");
  EXPECT_EQ(replaced("aaa", "aa", "b"), "ba");
  EXPECT_EQ(replaced("aaa", "aa", "xa"), "xaa");
  EXPECT_EQ(replaced("aaa", "aa", "a"), "aa");
  EXPECT_EQ(replaced("a src b", "src", "src"), "a src b");
}

TEST(ReplaceAll, ShrinkingKeepsTheTailAndBytesBeyondText) {
  std::string text("build/x.java\0tail", 17);
  replace_all("build", "b", text);
  EXPECT_EQ(text, std::string("b/x.java\0tail", 13));
}

TEST(ReplaceAll, EmptySearchedTextLeavesTheTextAlone) {
  EXPECT_EQ(replaced("abc", "", "x"), "abc");
  EXPECT_EQ(replaced("", "", ""), "");
}

TEST(ReplaceAll, AgreesWithTheStepByStepReference) {
  std::mt19937 random(20261208);
  auto random_text = random_texts(random);
  for (int round = 0; round < 20000; ++round) {
    std::string alphabet = round % 2 ? "ab" : "ab\\/.\n\0x";
    std::string text = random_text(60, alphabet);
    std::string searched = random_text(4, alphabet);
    std::string replacement = random_text(6, alphabet);
    ASSERT_EQ(replaced(text, searched, replacement), reference_replace(text, searched, replacement))
        << "text '" << text << "' searched '" << searched << "' replacement '" << replacement
        << "'";
  }
}

TEST(ReplaceAll, AMillionOccurrencesInOneLine) {
  std::string line;
  for (int i = 0; i < 1000000; ++i) line += "pp/";
  replace_all("pp", "src", line);
  ASSERT_EQ(line.size(), 4000000u);
  EXPECT_EQ(line.substr(0, 8), "src/src/");
  EXPECT_EQ(line.find("pp"), std::string::npos);
}

// The appending forms, plain and with CR LF line ends, against the reference and a plain CR LF
// conversion after it.
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
  append_replaced_crlf(searched, replacement, text, out);
  return out;
}

std::string replaced(std::string_view text, std::string_view searched, std::string_view replacement,
                     std::string out = {}) {
  append_replaced(searched, replacement, text, out);
  return out;
}

TEST(ReplacedCrlf, OccurrencesAndLineEndsAtEveryOffset) {
  // Occurrences and line ends at every place of a text, next to each other and at its ends.
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
                  plain_crlf(reference_replace(text, searched, replacement)))
            << "searched " << searched << " at " << at << " replaced by " << replacement;
        ASSERT_EQ(replaced(text, searched, replacement),
                  reference_replace(text, searched, replacement))
            << "searched " << searched << " at " << at << " replaced by " << replacement;
      }
    }
  }
}

TEST(ReplacedCrlf, AgreesWithReplaceThenCrlf) {
  std::mt19937 random(61208);
  auto random_text = random_texts(random);
  for (int round = 0; round < 20000; ++round) {
    // Few letters, so that occurrences and near misses are dense; line ends among them.
    std::string alphabet = round % 3 == 0 ? std::string("ab\n") : std::string("abc/\n\r\0", 7);
    std::string text = random_text(round % 10 == 0 ? 2000 : 200, alphabet);
    std::string searched = random_text(round % 7 == 0 ? 24 : 5, alphabet);
    std::string replacement = random_text(round % 5 == 0 ? 40 : 6, alphabet);
    std::string before = random_text(3, alphabet);
    ASSERT_EQ(replaced_crlf(text, searched, replacement, before),
              before + plain_crlf(reference_replace(text, searched, replacement)))
        << "text '" << text << "' searched '" << searched << "' replacement '" << replacement
        << "'";
    ASSERT_EQ(replaced(text, searched, replacement, before),
              before + reference_replace(text, searched, replacement))
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
  EXPECT_EQ(out, plain_crlf(reference_replace(text, "a", replacement)));
}

TEST(ReplacedCrlf, EmptyTextAndEmptySearchedText) {
  EXPECT_EQ(replaced_crlf("", "src", "pp", "kept"), "kept");
  EXPECT_EQ(replaced_crlf("src\nsrc", "", "pp"), "src\r\nsrc");
  EXPECT_EQ(replaced("src", "", "pp", "x"), "xsrc");
}

}  // namespace
}  // namespace drosk
