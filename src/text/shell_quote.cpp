#include "text/shell_quote.hpp"

#include <algorithm>

namespace drosk {
namespace {

// "=" is left out: a first word X=1 would be an assignment.
bool plain_for_shell(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("@%+:,./_-").find(c) != std::string_view::npos;
}

}  // namespace

std::string quote_for_shell(std::string_view arg) {
  if (!arg.empty() && std::all_of(arg.begin(), arg.end(), plain_for_shell)) return std::string(arg);
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

std::string join_for_shell(const std::vector<std::string>& args) {
  std::string joined;
  for (const std::string& arg : args) {
    if (!joined.empty()) joined += ' ';
    joined += quote_for_shell(arg);
  }
  return joined;
}

}  // namespace drosk
