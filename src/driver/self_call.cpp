#include "driver/self_call.hpp"

#include <cstdlib>

namespace drosk {

bool started_by_compile_command() {
  return std::getenv("DROSK_COMPILE") != nullptr;
}

}  // namespace drosk
