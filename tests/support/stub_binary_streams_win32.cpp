// Linked into the stand-in tool on Windows only: its standard output and error are put in binary
// mode before main runs, so that it writes exactly the bytes it is given, as on Linux (in text
// mode the C runtime would write every LF as CR LF).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

[[maybe_unused]] const bool binary_streams = [] {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return true;
}();

}  // namespace
