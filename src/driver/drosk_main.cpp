#include "driver/drosk_main.hpp"

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/self_call.hpp"
#include "io/fatal.hpp"
#include "mapping/capture.hpp"
#include "mapping/command_log.hpp"
#include "mapping/relay.hpp"
#include "mapping/rewrite_arg_file.hpp"
#include "mapping/rewrite_arguments.hpp"
#include "platform/command_line.hpp"
#include "platform/directory_id.hpp"
#include "platform/lock.hpp"
#include "platform/process.hpp"
#include "platform/run_command.hpp"
#include "settings/read_settings.hpp"
#include "text/command_texts.hpp"

namespace drosk {
namespace {

// The command texts, formed and refused here, before they run: a text that cmd.exe would cut
// short, or arguments that cannot pass through it.
std::string preprocess_text(const Settings& settings) {
  std::string text = preprocess_command_text(settings.preprocess);
  if (!platform::fits_processor(text))
    fatal("drosk.ini: preprocess= too long for cmd.exe (8191 characters at most)");
  return text;
}

std::string compile_text(const Settings& settings, const platform::arguments& args) {
  std::optional<std::string> in_text = platform::escaped_for_processor(args);
  if (!in_text) fatal("drosk: Line break in the arguments; pass them in an @file");
  std::string text = compile_command_text(settings.javac, *in_text);
  if (!platform::fits_processor(text)) {
    fatal(
        "drosk: Compile command too long for cmd.exe (8191 characters at most); pass the "
        "arguments in an @file");
  }
  return text;
}

int run_stages(int argc, char** argv) {
  platform::arguments args = platform::process_arguments(argc, argv);
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
  // Static, so that it is released when `fatal` ends the run through std::exit as well.
  static platform::directory_lock turn(command_log_name, !inside_preprocess_command());
  if (turn.busy()) fatal("drosk.ini: preprocess= starts drosk in a busy directory");

  platform::command_result preprocessed =
      platform::run_command(preprocess_text(settings), preprocess_mark(directory));
  // Ended by a signal that drosk passed on: drosk ends at once, as the signal would have ended it.
  if (preprocessed.cancelled) return preprocessed.status;
  if (preprocessed.status != 0) fatal("Preprocess error.");

  // Refused before the argument file is rewritten, so that none is rewritten for a compile that
  // cannot run.
  args = rewrite_arguments(std::move(args), settings);
  std::string compile = compile_text(settings, args);
  rewrite_arg_file(platform::arg_file_name(args), settings);

  // Never an earlier run's capture: the relay shows what this compile wrote, or "Can't open".
  remove_earlier_capture();
  platform::command_result compiled =
      platform::run_command(compile, compile_mark, platform::processor_parameters(args));

  write_command_log(compile_command_text(settings.javac, platform::quoted_for_log(args)));
  // Ended by a signal that drosk passed on, maybe before the capture was made: what there is of it
  // is relayed.
  if (!compiled.cancelled) end_if_capture_had_no_room(compiled.status);
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
