#pragma once

#include <string>

namespace drosk {

// The four values of drosk.ini, each a private copy for the whole run.
struct Settings {
  std::string preprocess;
  std::string javac;
  std::string source;
  std::string build;
};

}  // namespace drosk
