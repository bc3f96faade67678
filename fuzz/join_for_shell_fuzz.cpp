// The POSIX quoting: the joined text, read back by /bin/sh's rules for quotes, backslashes and
// blanks, gives exactly the arguments again, and leaves no character that the shell would act on
// outside quotes. The arguments are the input cut at NUL bytes, as no argument can hold one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "text/shell_quote.hpp"

namespace {

// The characters that the POSIX shell language gives a meaning of their own outside quotes: the
// operators and quotes, the expansions and globs, and those that mean something at a word's start
// or in the first word ("#", "~", "=" of an assignment, the reserved "{", "}" and "!"). Any other
// byte stands for itself.
bool literal_outside_quotes(char c) {
  return std::string_view("|&;<>()$`\\\"' \t\n*?[#~={}!").find(c) == std::string_view::npos;
}

// The words that /bin/sh makes of `text`, or nothing when it holds something a quoter must never
// leave: an unclosed quote, a line continuation, or an unquoted character the shell acts on.
std::optional<std::vector<std::string>> shell_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  for (std::size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      ++i;
      continue;
    }
    in_word = true;
    if (c == '\'') {
      std::size_t close = text.find('\'', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      word.append(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == '\\') {
      if (i + 1 == text.size() || text[i + 1] == '\n') return std::nullopt;
      word += text[i + 1];
      i += 2;
    } else if (literal_outside_quotes(c)) {
      word += c;
      ++i;
    } else {
      return std::nullopt;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  if (size > 0) {
    for (std::size_t start = 0;;) {
      std::size_t nul = input.find('\0', start);
      args.emplace_back(input.substr(start, nul - start));
      if (nul == std::string_view::npos) break;
      start = nul + 1;
    }
  }
  std::optional<std::vector<std::string>> words = shell_words(drosk::join_for_shell(args));
  drosk::fuzz::require(words.has_value(), "the quoted text leaves something for the shell to do");
  drosk::fuzz::require(*words == args, "the shell would read other arguments");
  return 0;
}
