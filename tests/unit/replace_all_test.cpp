#include "mapping/replace_all.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../support/reference_replace.hpp"

namespace drosk {
namespace {

std::string replaced(std::string text, std::string_view searched, std::string_view replacement) {
  replace_all(searched, replacement, text);
  return text;
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
  auto random_text = [&](std::size_t max_length, std::string_view alphabet) {
    std::string text(random() % (max_length + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
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

}  // namespace
}  // namespace drosk
