// A stand-in for the preprocessor and the compiler in drosk's end-to-end tests. Its own options
// come first; everything after them (or after "--") is what drosk handed it.
//
//   --record NAME         write the handed arguments to NAME.argv, each followed by a NUL byte
//   --record-line NAME    Windows: write the raw command line (GetCommandLineA) to NAME.line
//   --copy-arg-file NAME  copy the argument file (the first handed "@name") to NAME, byte for byte
//   --out TEXT            write TEXT and a line end to standard output
//   --err-file FILE       copy FILE to standard error, byte for byte
//   --fds FILE            write where standard input, output and error lead to FILE, one a line
//   --inside DIR          make the directory DIR for the sleep; where it is there already (another
//                         stub is inside at the same time), write DIR.both
//   --sleep SECONDS       then wait that long
//   --delete FILE         delete FILE
//   --kill-self SIGNAL    end by signal number SIGNAL, at its default action
//   --exit N              end with status N (default 0)
//   --signals FILE        write the ignored and the blocked signals (Linux: /proc/self/status's
//                         SigIgn and SigBlk lines) to FILE
//   --read-line FILE      read one line from standard input and write it to FILE, before sleeping
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#ifdef __unix__
#include <unistd.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string read_file(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

// Where descriptors 0, 1 and 2 lead: a path, or "closed".
std::string standard_descriptors() {
  std::string lines;
#ifdef __unix__
  for (int fd = 0; fd <= 2; ++fd) {
    char target[4096];
    std::string link = "/proc/self/fd/" + std::to_string(fd);
    ssize_t got = readlink(link.c_str(), target, sizeof target);
    lines += got < 0 ? std::string("closed") : std::string(target, static_cast<std::size_t>(got));
    lines += '\n';
  }
#endif
  return lines;
}

std::string signal_lines() {
  std::ifstream in("/proc/self/status");
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("SigIgn:", 0) == 0 || line.rfind("SigBlk:", 0) == 0) lines += line + '\n';
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  std::string record, record_line, inside, copy_arg_file, out, err_file, fds, remove, signals,
      read_line;
  int status = 0, kill_signal = 0;
  double sleep_seconds = 0;
  int i = 1;
  for (; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--") {
      ++i;
      break;
    }
    if (option.rfind("--", 0) != 0 || i + 1 >= argc) break;
    std::string value = argv[++i];
    if (option == "--record") {
      record = value;
    } else if (option == "--record-line") {
      record_line = value;
    } else if (option == "--copy-arg-file") {
      copy_arg_file = value;
    } else if (option == "--out") {
      out = value;
    } else if (option == "--err-file") {
      err_file = value;
    } else if (option == "--fds") {
      fds = value;
    } else if (option == "--inside") {
      inside = value;
    } else if (option == "--sleep") {
      sleep_seconds = std::atof(value.c_str());
    } else if (option == "--delete") {
      remove = value;
    } else if (option == "--kill-self") {
      kill_signal = std::atoi(value.c_str());
    } else if (option == "--exit") {
      status = std::atoi(value.c_str());
    } else if (option == "--signals") {
      signals = value;
    } else if (option == "--read-line") {
      read_line = value;
    } else {
      std::fprintf(stderr, "stub_tool: unknown option %s\n", option.c_str());
      return 99;
    }
  }
  std::vector<std::string> handed(argv + i, argv + argc);

  if (!copy_arg_file.empty()) {
    for (const std::string& arg : handed) {
      if (arg.rfind("@", 0) == 0) {
        write_file(copy_arg_file, read_file(arg.substr(1)));
        break;
      }
    }
  }
  if (!out.empty()) std::printf("%s\n", out.c_str());
  std::fflush(stdout);
  if (!err_file.empty()) {
    std::string bytes = read_file(err_file);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);  // written before any sleep, not at the end
  }
  // Recorded once the output is written: a test that signals the stub as soon as the record stands
  // must not cut its messages off.
  if (!record.empty()) {
    std::string bytes;
    for (const std::string& arg : handed) bytes += arg + '\0';
    write_file(record + ".argv", bytes);
  }
#ifdef _WIN32
  if (!record_line.empty()) write_file(record_line + ".line", GetCommandLineA());
#endif
  if (!fds.empty()) write_file(fds, standard_descriptors());
  if (!signals.empty()) write_file(signals, signal_lines());
  if (!read_line.empty()) {
    std::string line;
    for (int c; (c = std::getchar()) != EOF && c != '\n';) line += static_cast<char>(c);
    write_file(read_line, line);
  }
  std::error_code error;
  if (!inside.empty() && !std::filesystem::create_directory(inside, error))
    write_file(inside + ".both", "");
  if (sleep_seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(sleep_seconds));
  if (!inside.empty()) std::filesystem::remove(inside, error);
  if (!remove.empty()) std::remove(remove.c_str());
  if (kill_signal != 0) {
    // A sanitizer's own handler must not turn the signal into a report and a different end.
    std::signal(kill_signal, SIG_DFL);
    std::raise(kill_signal);
  }
  return status;
}
