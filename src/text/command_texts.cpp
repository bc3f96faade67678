#include "text/command_texts.hpp"

namespace drosk {

std::string preprocess_command_text(std::string_view preprocess) {
  std::string text(preprocess);
  text += "||EXIT 1";
  return text;
}

std::string compile_command_text(std::string_view javac, std::string_view arguments) {
  std::string text(javac);
  text += ' ';
  text += arguments;
  text += " 2>__stderr__.log||EXIT 1";
  return text;
}

}  // namespace drosk
