#include "text/cmd_text.hpp"

namespace drosk {

std::optional<std::string> escape_for_cmd(std::string_view args, lead_byte_test lead_byte) {
  if (args.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  std::string escaped;
  bool after_percent = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    char c = args[i];
    if (after_percent || std::string_view("^&|<>()\"").find(c) != std::string_view::npos)
      escaped += '^';
    after_percent = c == '%';
    escaped += c;
    if (lead_byte(static_cast<unsigned char>(c)) && i + 1 < args.size()) escaped += args[++i];
  }
  return escaped;
}

std::string cmd_c_switch(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos || text[first] != '"') return "/c " + std::string(text);
  return "/s /c \"" + std::string(text) + "\"";
}

std::string_view cmd_c_text(std::string_view c_switch) {
  return c_switch.substr(c_switch.find("/c ") + 3);
}

}  // namespace drosk
