#include "io/fatal.hpp"

#include <cstdlib>
#include <string>

#include "platform/standard_error.hpp"
#include "text/text_mode.hpp"

namespace drosk {

std::string format_message(std::string_view format, std::initializer_list<message_value> values) {
  std::string message;
  const message_value* next = values.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    std::string_view two = format.substr(i, 2);
    if (two != "%s" && two != "%d" && two != "%%") {
      message += format[i];
      continue;
    }
    ++i;
    if (two == "%%") {
      message += '%';
    } else if (next != values.end()) {
      const auto* text = std::get_if<std::string_view>(next);
      message += text ? std::string(*text) : std::to_string(std::get<long long>(*next));
      ++next;
    }
  }
  if (message.size() > message_limit) message.resize(message_limit);
  return message;
}

void fatal(std::string_view format, std::initializer_list<message_value> values) {
  std::string text;
  append_crlf(text, format_message(format, values));
  // A write error is ignored: a closed standard error must not cost the exit status.
  platform::write_standard_error(text);
  std::exit(1);
}

}  // namespace drosk
