#include "text/command_texts.hpp"

namespace drosk {

std::string preprocess_command_text(std::string_view preprocess) {
  return std::string(preprocess).append("||EXIT 1");
}

std::string compile_command_text(std::string_view javac, std::string_view arguments) {
  return std::string(javac).append(" ").append(arguments).append(" 2>__stderr__.log||EXIT 1");
}

}  // namespace drosk
