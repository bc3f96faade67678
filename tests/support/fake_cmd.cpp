// fake_cmd: a tiny stand-in for CMD.EXE, used by drosk's tests on Windows and under Wine.
//
// Started as `fake_cmd.exe [/S] [/V:OFF] /c TEXT`, where TEXT is what follows "/c " on the raw
// process command line.  It follows cmd.exe where drosk's command texts rely on it:
//
//   /S          with a TEXT whose first character that is not a blank is a double quote, that
//               quote and the last one in TEXT are removed and the rest is kept as it is
//   /V:OFF      accepted (any other switch ahead of /c too) and otherwise ignored
//   ^x          outside double quotes a caret is removed and x is taken literally: ^" opens no
//               quote, ^| and ^^ are plain characters; within quotes a caret is a caret
//   A||B        (outside quotes, not escaped) run B only when A ended with a nonzero status
//   CMD 2>FILE  (outside quotes, at the start or after a blank) FILE is created or emptied before
//               CMD runs, EXIT included, and CMD's standard error goes into it
//   EXIT n      end at once with status n ("EXIT" alone gives 0)
//   CMD         any other text, carets removed and quotes kept, is handed to CreateProcessA
//               (which searches the program's own folder, the current directory, the system
//               folders and PATH); standard input and output and the console are inherited
//
// It leaves out, so that nobody takes it for cmd.exe: %NAME% and !NAME! expansion (a % is a plain
// character), the operators & && | and the redirections < > 1> 2>&1 (plain characters), grouping
// with ( ), built-in commands other than EXIT, cmd.exe's own quote stripping of a /c TEXT without
// /S, the length limit of 8,191 characters, batch files (cmd.exe runs them itself), and "||"
// running its right side after a success (Wine's cmd.exe does that; this one keeps it
// conditional).
//
// A command that cannot be started (or whose FILE cannot be created) gives status 1 and one
// line on its standard error.  The exit status is that of the last command run.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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

// One command of the text: its words with the carets taken out, and the file "2>" names.
struct Command {
  std::string text;
  std::optional<std::string> err_file;
};

// The file name after "2>" at `i`: blanks skipped, then up to a blank or a "|". Leaves `i` on the
// character after it.
std::string redirect_target(const std::string& text, size_t& i) {
  while (i < text.size() && is_blank(text[i])) ++i;
  size_t start = i;
  while (i < text.size() && !is_blank(text[i]) && text[i] != '|') ++i;
  return text.substr(start, i - start);
}

std::vector<Command> parse(const std::string& text) {
  std::vector<Command> commands(1);
  bool quoted = false;
  size_t i = 0;
  while (i < text.size()) {
    Command& command = commands.back();
    char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '^') {
      if (++i < text.size()) command.text += text[i++];
      continue;
    } else if (!quoted && text.compare(i, 2, "||") == 0) {
      commands.emplace_back();
      i += 2;
      continue;
    } else if (!quoted && text.compare(i, 2, "2>") == 0 &&
               (command.text.empty() || is_blank(command.text.back()))) {
      i += 2;
      command.err_file = redirect_target(text, i);
      continue;
    }
    command.text += c;
    ++i;
  }
  return commands;
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
DWORD run_simple(const Command& parsed) {
  std::string command = trim(parsed.text);
  Inherited in(GetStdHandle(STD_INPUT_HANDLE));
  Inherited out(GetStdHandle(STD_OUTPUT_HANDLE));
  Inherited err(GetStdHandle(STD_ERROR_HANDLE));

  HANDLE err_file = INVALID_HANDLE_VALUE;
  if (parsed.err_file) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    err_file =
        CreateFileA(parsed.err_file->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (err_file == INVALID_HANDLE_VALUE) {
      report(err.handle, "cannot create \"" + *parsed.err_file + "\" (error " +
                             std::to_string(GetLastError()) + ")");
      return 1;
    }
  }
  run_exit_if_exit(command);
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

// The text after the switches, up to and including "/c " (any case); with /S, its outer quotes
// removed. None without /c.
std::optional<std::string> command_text(const std::string& line) {
  size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    i = line.find('"', 1);
    i = i == std::string::npos ? line.size() : i + 1;
  }
  while (i < line.size() && !is_blank(line[i])) ++i;
  bool strip = false;
  for (;;) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size() || line[i] != '/') return std::nullopt;
    size_t end = i;
    while (end < line.size() && !is_blank(line[end])) ++end;
    std::string word = line.substr(i, end - i);
    i = end;
    if (_stricmp(word.c_str(), "/s") == 0) strip = true;
    if (_stricmp(word.c_str(), "/c") == 0) break;
  }
  std::string text = line.substr(i < line.size() ? i + 1 : i);
  size_t first = text.find_first_not_of(" \t");
  if (strip && first != std::string::npos && text[first] == '"') {
    text.erase(first, 1);
    size_t last = text.rfind('"');
    if (last != std::string::npos) text.erase(last, 1);
  }
  return text;
}

}  // namespace

int main() {
  std::optional<std::string> text = command_text(GetCommandLineA());
  if (!text) {
    std::fputs("usage: fake_cmd [/S] [/V:OFF] /c COMMAND[||COMMAND...]\n", stderr);
    return 1;
  }
  DWORD status = 0;
  for (const Command& command : parse(*text)) {
    status = run_simple(command);
    if (status == 0) break;
  }
  ExitProcess(status);
}
