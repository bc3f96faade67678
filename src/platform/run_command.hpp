#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drosk::platform {

// POSIX: the first part of prepare_process (process.hpp), before anything changes a signal: notes
// the signal dispositions and mask drosk inherited (the commands get them back), and gives SIGCHLD
// its default for drosk itself, since a parent may pass it on ignored and waiting for a command
// then fails. On Linux drosk also becomes the reaper of its commands' orphans.
void prepare_commands();

struct command_result {
  // The command processor's exit status; -1 when no processor can be started.
  int status;
  // drosk passed a signal of its own on to the command and ended it; `status` is then 128 plus
  // the signal's number.
  bool cancelled;
};

// A variable set in one command's environment alone, in the place of one of the same name that
// drosk has; none when `name` is empty.
struct environment_mark {
  std::string name;
  std::string value;
};

// Runs a command text through the command processor in the current directory, with drosk's
// console and environment (plus the `mark`), and waits for it. `parameters` are handed to the
// processor apart from the text: as /bin/sh's positional parameters ("$@"), or as cmd.exe's
// switches ahead of "/c". POSIX: only while the command runs are the signals that would end drosk
// passed on to it (or, with the command in drosk's group at the terminal, SIGINT and SIGQUIT left
// to it); before and after, they end drosk at their default action.
command_result run_command(const std::string& text, const environment_mark& mark = {},
                           const std::vector<std::string>& parameters = {});

}  // namespace drosk::platform
