#include "driver/self_call.hpp"

#include <cstdlib>

namespace drosk {
namespace {

constexpr const char* preprocess_chain = "DROSK_PREPROCESS";

std::string_view inherited_chain() {
  const char* value = std::getenv(preprocess_chain);
  return value ? value : "";
}

}  // namespace

bool started_by_compile_command() {
  return std::getenv("DROSK_COMPILE") != nullptr;
}

bool inside_preprocess_command() {
  return !inherited_chain().empty();
}

bool started_by_preprocess_command(std::string_view directory) {
  if (directory.empty()) return false;
  std::string_view chain = inherited_chain();
  while (!chain.empty()) {
    std::size_t blank = chain.find(' ');
    if (chain.substr(0, blank) == directory) return true;
    chain = blank == std::string_view::npos ? std::string_view() : chain.substr(blank + 1);
  }
  return false;
}

platform::environment_mark preprocess_mark(std::string_view directory) {
  if (directory.empty()) return {};
  std::string chain(inherited_chain());
  if (!chain.empty()) chain += ' ';
  return {preprocess_chain, chain + std::string(directory)};
}

}  // namespace drosk
