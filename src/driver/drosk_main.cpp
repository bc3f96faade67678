#include "driver/drosk_main.hpp"

#include <new>
#include <string>
#include <vector>

#include "driver/command_texts.hpp"
#include "driver/fatal.hpp"
#include "driver/self_call.hpp"
#include "mapping/relay.hpp"
#include "mapping/rewrite_arg_file.hpp"
#include "mapping/rewrite_arguments.hpp"
#include "platform/command_line.hpp"
#include "platform/files.hpp"
#include "platform/run_command.hpp"
#include "settings/read_settings.hpp"

namespace drosk {
namespace {

// Room for a line piece of drosk.ini and its terminator; texts that need more make it grow.
constexpr std::size_t work_size = 16385;

int run_stages(int argc, char** argv) {
  std::vector<std::string> args = platform::process_arguments(argc, argv);
  if (args.empty()) fatal("javac commandline not found");
  if (started_by_compile_command()) fatal("drosk.ini: javac= starts drosk again");

  std::string work;
  work.reserve(work_size);
  Settings settings = read_settings(work);

  work = preprocess_command_text(settings.preprocess);
  platform::command_result preprocessed = platform::run_command(work);
  // Ended by a signal that drosk passed on: drosk ends at once, as the signal would have ended it.
  if (preprocessed.cancelled) return preprocessed.status;
  if (preprocessed.status != 0) fatal("Preprocess error.");

  args = rewrite_arguments(std::move(args), settings);
  rewrite_arg_file(args, settings, work);

  std::string run_text = compile_command_text(settings.javac, platform::run_arguments_text(args));
  work = compile_command_text(settings.javac, platform::join_arguments(args));
  std::vector<std::string> parameters = platform::run_parameters(std::move(args));
  int status = platform::run_command(run_text, compile_mark, parameters).status;

  write_command_log(work);
  relay_compiler_errors(settings, work);
  return status;
}

}  // namespace

int drosk_main(int argc, char** argv) {
  platform::prepare_commands();
  platform::prepare_process();
  try {
    return run_stages(argc, argv);
  } catch (const std::bad_alloc&) {
    fatal("drosk: Out of memory");
  }
}

}  // namespace drosk
