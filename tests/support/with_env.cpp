// with_env: starts a program with some environment variables set or removed and with an exact
// raw command line, for drosk's tests on Windows and under Wine.
//
//   with_env.exe [NAME=VALUE | -NAME | --status FILE | --app PROGRAM]... --line FILE
//
// NAME=VALUE sets NAME and -NAME removes it, in this process's own Windows environment (under Wine
// the only way to change what a Windows program sees of COMSPEC or PATH, which Wine fills from its
// registry).  These words are with_env's own arguments as the C runtime splits them, which undoes
// the quoting that Wine adds when it makes a Windows command line of a Linux argument vector.
//
// The child's command line is the whole content of FILE, handed to CreateProcessA byte for byte, so
// quotes, carets, tabs and runs of blanks arrive unchanged (an argument vector cannot say all
// that). The program started is PROGRAM when --app gives one, which lets the command line name it
// in any way at all; otherwise CreateProcessA finds it from the command line.
//
// The child inherits the environment, the standard handles and the console; with_env waits for it
// and ends with its exit code.  --status FILE also writes that code to FILE as a signed decimal
// number, since Wine hands only its low byte on to Linux.  A usage error gives status 125, a child
// that cannot be started 127.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

int usage(const std::string& why) {
  std::fprintf(stderr,
               "with_env: %s\nusage: with_env [NAME=VALUE|-NAME|--status FILE|--app PROGRAM]... "
               "--line FILE\n",
               why.c_str());
  return 125;
}

std::optional<std::string> read_file(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An inheritable copy of a standard handle (the handle itself when there is none or on failure).
HANDLE inheritable(HANDLE h) {
  HANDLE copy = nullptr;
  if (h == nullptr || h == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return h;
  }
  return copy;
}

}  // namespace

int main(int argc, char** argv) {
  std::string status_file, app;
  std::optional<std::string> command;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--line" || word == "--status" || word == "--app") {
      if (++i == argc) return usage("no value after \"" + word + "\"");
      std::string value = argv[i];
      if (word == "--status") {
        status_file = value;
      } else if (word == "--app") {
        app = value;
      } else if (!(command = read_file(value))) {
        return usage("cannot read \"" + value + "\"");
      }
    } else if (size_t eq = word.find('='); eq != std::string::npos && eq > 0) {
      SetEnvironmentVariableA(word.substr(0, eq).c_str(), word.c_str() + eq + 1);
    } else if (word.size() > 1 && word[0] == '-') {
      SetEnvironmentVariableA(word.c_str() + 1, nullptr);
    } else {
      return usage("bad word \"" + word + "\"");
    }
  }
  if (!command) return usage("no --line");
  if (command->empty() && app.empty()) return usage("no program to start");

  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inheritable(GetStdHandle(STD_INPUT_HANDLE));
  si.hStdOutput = inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  si.hStdError = inheritable(GetStdHandle(STD_ERROR_HANDLE));
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(app.empty() ? nullptr : app.c_str(), command->data(), nullptr, nullptr, TRUE,
                      0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "with_env: cannot run \"%s\" (error %lu)\n",
                 app.empty() ? command->c_str() : app.c_str(), GetLastError());
    return 127;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(pi.hProcess, &status);
  if (!status_file.empty()) {
    std::ofstream(status_file, std::ios::binary) << static_cast<long>(static_cast<LONG>(status));
  }
  ExitProcess(status);
}
