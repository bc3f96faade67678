#pragma once

// The process itself: its signals and standard streams.
namespace drosk::platform {

// Run first: notes the signals as drosk inherited them, for its commands (prepare_commands,
// run_command.hpp), then makes standard input, output and error safe to use and to lose (a closed
// one is replaced, so no file opened later takes its place; a broken pipe becomes a write error).
void prepare_process();

}  // namespace drosk::platform
