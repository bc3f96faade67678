#include "text/shell_quote.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace drosk {
namespace {

TEST(QuoteForShell, PlainWordsStayAsTheyAre) {
  EXPECT_EQ(quote_for_shell("-d"), "-d");
  EXPECT_EQ(quote_for_shell("src/a/B.java"), "src/a/B.java");
  EXPECT_EQ(quote_for_shell("@files.txt"), "@files.txt");
  EXPECT_EQ(quote_for_shell(""), "''");
  EXPECT_EQ(quote_for_shell("X=1"), "'X=1'");
  EXPECT_EQ(quote_for_shell("it's"), R"('it'\''s')");
}

// What /bin/sh makes of the joined text must be exactly the original words.
std::vector<std::string> words_from_shell(const std::string& joined) {
  std::string command = "printf '%s\\0' " + joined;
  std::string script = "/bin/sh -c " + quote_for_shell(command);
  std::FILE* pipe = popen(script.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, got);
  }
  pclose(pipe);
  std::vector<std::string> words;
  for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos;
       start = end + 1) {
    words.push_back(output.substr(start, end - start));
  }
  return words;
}

TEST(JoinForShell, TheShellGivesBackExactlyTheArguments) {
  std::vector<std::string> args = {"-d",    "out dir", "",     "$(touch pwned)",
                                   "`id`",  "a;b|c&d", "'",    "''\\'",
                                   "*",     "~",       "x\ny", "\t",
                                   "\"q\"", "$HOME",   "!",    "#not-a-comment",
                                   "a=b",   "é"};
  EXPECT_EQ(words_from_shell(join_for_shell(args)), args);
}

}  // namespace
}  // namespace drosk
