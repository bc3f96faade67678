// fake_cmd: a tiny stand-in for CMD.EXE, used by drosk's tests on Windows and under Wine.
//
// Started as `fake_cmd.exe /c TEXT`, where TEXT is everything after the first "/c " of the raw
// process command line.  It knows only what drosk's command texts use:
//
//   A||B        run B only when A ended with a nonzero status
//   EXIT n      end at once with status n ("EXIT" alone gives 0)
//   CMD 2>FILE  create or empty FILE and send CMD's standard error into it
//   CMD         any other text is handed unchanged to CreateProcessA (which searches the
//               program's own folder, the current directory, the system folders and PATH);
//               standard input and output and the console are inherited
//
// A command that cannot be started (or whose FILE cannot be created) gives status 1 and one
// line on its standard error.  The exit status is that of the last command run.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// An inheritable copy of one of our standard handles, closed when it goes out of scope; the
// handle itself when there is none or it cannot be copied.
struct Inherited {
  HANDLE handle;
  bool owned = false;

  explicit Inherited(HANDLE h) : handle(h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    HANDLE copy = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE,
                        DUPLICATE_SAME_ACCESS)) {
      handle = copy;
      owned = true;
    }
  }
  ~Inherited() {
    if (owned) CloseHandle(handle);
  }
  Inherited(const Inherited&) = delete;
  Inherited& operator=(const Inherited&) = delete;
};

void report(HANDLE err, const std::string& line) {
  std::string text = "fake_cmd: " + line + "\r\n";
  DWORD written = 0;
  WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// "EXIT" or "EXIT n", any case; ends the process.
void run_exit_if_exit(const std::string& command) {
  if (command.size() < 4 || _strnicmp(command.c_str(), "EXIT", 4) != 0) return;
  if (command.size() > 4 && !is_blank(command[4])) return;
  std::string rest = trim(command.substr(4));
  ExitProcess(static_cast<UINT>(std::strtol(rest.c_str(), nullptr, 10)));
}

// Runs one command without "||"; gives its status.
DWORD run_simple(std::string command) {
  command = trim(command);
  run_exit_if_exit(command);

  Inherited in(GetStdHandle(STD_INPUT_HANDLE));
  Inherited out(GetStdHandle(STD_OUTPUT_HANDLE));
  Inherited err(GetStdHandle(STD_ERROR_HANDLE));

  // A trailing "2>FILE", its "2" at the start or after a blank.
  size_t at = command.rfind("2>");
  while (at != std::string::npos && at > 0 && !is_blank(command[at - 1])) {
    at = command.rfind("2>", at - 1);
  }
  HANDLE err_file = INVALID_HANDLE_VALUE;
  if (at != std::string::npos) {
    std::string file = trim(command.substr(at + 2));
    command = trim(command.substr(0, at));
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    err_file = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (err_file == INVALID_HANDLE_VALUE) {
      report(err.handle,
             "cannot create \"" + file + "\" (error " + std::to_string(GetLastError()) + ")");
      return 1;
    }
  }
  HANDLE child_err = err_file != INVALID_HANDLE_VALUE ? err_file : err.handle;

  DWORD status = 1;
  if (command.empty()) {
    report(child_err, "empty command");
  } else {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in.handle;
    si.hStdOutput = out.handle;
    si.hStdError = child_err;
    PROCESS_INFORMATION pi{};
    std::string line = command;  // CreateProcessA may write into its command line.
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                       &pi)) {
      WaitForSingleObject(pi.hProcess, INFINITE);
      GetExitCodeProcess(pi.hProcess, &status);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    } else {
      report(child_err,
             "cannot run \"" + command + "\" (error " + std::to_string(GetLastError()) + ")");
    }
  }
  if (err_file != INVALID_HANDLE_VALUE) CloseHandle(err_file);
  return status;
}

}  // namespace

int main() {
  std::string line = GetCommandLineA();
  size_t at = line.find("/c ");
  if (at == std::string::npos) {
    std::fputs("usage: fake_cmd /c COMMAND[||COMMAND...]\n", stderr);
    return 1;
  }
  std::string text = line.substr(at + 3);

  DWORD status = 0;
  size_t start = 0;
  for (;;) {
    size_t bar = text.find("||", start);
    std::string command = text.substr(start, bar == std::string::npos ? bar : bar - start);
    status = run_simple(command);
    if (status == 0 || bar == std::string::npos) break;
    start = bar + 2;
  }
  ExitProcess(status);
}
