#include "driver/drosk_main.hpp"

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/self_call.hpp"
#include "io/fatal.hpp"
#include "mapping/capture_space.hpp"
#include "mapping/command_log.hpp"
#include "mapping/relay.hpp"
#include "mapping/rewrite_arg_file.hpp"
#include "mapping/rewrite_arguments.hpp"
#include "platform/command_line.hpp"
#include "platform/directory_id.hpp"
#include "platform/files.hpp"
#include "platform/lock.hpp"
#include "platform/run_command.hpp"
#include "settings/read_settings.hpp"

namespace drosk {
namespace {

int run_stages(int argc, char** argv) {
  std::vector<std::string> args = platform::process_arguments(argc, argv);
  if (args.empty()) fatal("javac commandline not found");
  if (started_by_compile_command()) fatal("drosk.ini: javac= starts drosk again");
  std::string directory = platform::current_directory_id();
  if (started_by_preprocess_command(directory)) fatal("drosk.ini: preprocess= starts drosk again");

  Settings settings = read_settings();
  // Runs in one directory take turns, to the end of the run: they share the build tree, the
  // argument file and the logs. The guards above come first, so that a drosk nested in this run
  // stops rather than waiting for this run's lock. A drosk inside another's preprocess command
  // does not wait either: the run that holds the lock may itself wait, inside its own preprocess
  // command, for the lock that this one's caller holds.
  platform::directory_lock turn(directory, "drosk.ini", !inside_preprocess_command());
  if (turn.busy()) fatal("drosk.ini: preprocess= starts drosk in a busy directory");

  std::optional<std::string> preprocess_command =
      platform::make_preprocess_command(settings.preprocess);
  if (!preprocess_command)
    fatal("drosk.ini: preprocess= too long for cmd.exe (8191 characters at most)");
  platform::command_result preprocessed =
      platform::run_command(*preprocess_command, preprocess_mark(directory));
  // Ended by a signal that drosk passed on: drosk ends at once, as the signal would have ended it.
  if (preprocessed.cancelled) return preprocessed.status;
  if (preprocessed.status != 0) fatal("Preprocess error.");

  // Refused before the argument file is rewritten, so that none is rewritten for a compile that
  // cannot run.
  platform::compile_command compile =
      platform::make_compile_command(settings.javac, rewrite_arguments(std::move(args), settings));
  if (!compile.refusal.empty()) fatal("%s", {compile.refusal});
  rewrite_arg_file(compile.arg_file, settings);

  // Never an earlier run's capture: the relay shows what this compile wrote, or "Can't open".
  remove_earlier_capture();
  platform::command_result compiled =
      platform::run_command(compile.run_text, compile_mark, compile.parameters);

  write_command_log(compile.log_text);
  // Ended by a signal that drosk passed on, maybe before the capture was made: what there is of it
  // is relayed.
  if (!compiled.cancelled) check_capture_space(compiled.status);
  relay_compiler_errors(settings, compiled.cancelled);
  return compiled.status;
}

}  // namespace

int drosk_main(int argc, char** argv) {
  platform::prepare_process();
  try {
    return run_stages(argc, argv);
  } catch (const std::bad_alloc&) {
    fatal("drosk: Out of memory");
  }
}

}  // namespace drosk
