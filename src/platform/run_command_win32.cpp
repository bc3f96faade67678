#include <windows.h>

#include <cstdlib>
#include <optional>

#include "platform/run_command.hpp"
#include "text/cmd_text.hpp"

namespace drosk::platform {
namespace {

bool is_file(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The ";" that ends the PATH entry starting at `start`; one inside quotes does not.
std::size_t next_separator(const std::string& path, std::size_t start) {
  bool quoted = false;
  for (std::size_t i = start; i < path.size(); ++i) {
    if (path[i] == '"') quoted = !quoted;
    if (path[i] == ';' && !quoted) return i;
  }
  return path.size();
}

// The processor COMSPEC names, and no other when it is set; otherwise CMD.EXE from the current
// directory, then from each directory of PATH in order.
std::optional<std::string> find_processor() {
  // Set empty, it counts as not set.
  if (const char* comspec = std::getenv("COMSPEC"); comspec && *comspec) {
    if (!is_file(comspec)) return std::nullopt;
    return comspec;
  }
  if (is_file("CMD.EXE")) return std::string(".\\CMD.EXE");
  const char* found = std::getenv("PATH");
  std::string path = found ? found : "";
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = next_separator(path, start);
    std::string dir = path.substr(start, end - start);
    // As in CMD.EXE's own search, quotes only keep a directory's blanks and semicolons together.
    std::erase(dir, '"');
    if (!dir.empty()) {
      std::string candidate =
          dir + (dir.back() == '\\' || dir.back() == '/' ? "" : "\\") + "CMD.EXE";
      if (is_file(candidate)) return candidate;
    }
    start = end + 1;
  }
  return std::nullopt;
}

// Sets or clears the job's limit that ends every process in it when its last handle is closed.
bool kill_on_close(HANDLE job, bool on) {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = on ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
  return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

// A job for the command processor, which ends every process in it when its last handle is closed:
// if drosk itself is ended (TerminateProcess), its commands end with it. nullptr when no job can be
// had (a job drosk runs in may not allow one within it); the command then runs without.
HANDLE kill_on_close_job(HANDLE processor) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job && kill_on_close(job, true) && AssignProcessToJobObject(job, processor)) return job;
  if (job) CloseHandle(job);
  return nullptr;
}

// While a command runs, Ctrl-C is the command's to act on. A handler, unlike ignoring the signal,
// is not inherited by the command.
BOOL WINAPI let_the_command_handle_it(DWORD) {
  return TRUE;
}

// Starts the processor suspended, so that it is in the job before it can start anything of its
// own. The mark is set in drosk's own environment only while the processor is started.
bool start_processor(const std::string& processor, std::string& command_line,
                     const environment_mark& mark, PROCESS_INFORMATION& process) {
  const char* saved = mark.name.empty() ? nullptr : std::getenv(mark.name.c_str());
  if (!mark.name.empty()) SetEnvironmentVariableA(mark.name.c_str(), mark.value.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  BOOL started = CreateProcessA(processor.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
  if (!mark.name.empty()) SetEnvironmentVariableA(mark.name.c_str(), saved);
  return started;
}

// Lets the started processor run in a job of its own, where one can be had, and gives its exit
// code.
int wait_in_job(PROCESS_INFORMATION& process) {
  HANDLE job = kill_on_close_job(process.hProcess);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  int status = GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
  // At a normal end the limit goes before the handle does: what the command left running
  // survives it, as on POSIX.
  if (job) {
    kill_on_close(job, false);
    CloseHandle(job);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

}  // namespace

// The processor's command line: its name, the parameters as its switches, and the text after
// "/c " (or "/s /c ", quoted), as cmd_c_switch gives it.
command_result run_command(const std::string& text, const environment_mark& mark,
                           const std::vector<std::string>& parameters) {
  std::optional<std::string> processor = find_processor();
  if (!processor) return {-1, false};
  std::string command_line = "\"" + *processor + "\" ";
  for (const std::string& parameter : parameters) command_line += parameter + " ";
  command_line += cmd_c_switch(text);

  PROCESS_INFORMATION process{};
  SetConsoleCtrlHandler(let_the_command_handle_it, TRUE);
  int status = start_processor(*processor, command_line, mark, process) ? wait_in_job(process) : -1;
  SetConsoleCtrlHandler(let_the_command_handle_it, FALSE);
  return {status, false};
}

}  // namespace drosk::platform
