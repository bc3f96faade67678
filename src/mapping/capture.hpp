#pragma once

#include <string_view>

// The capture: the file in the working directory that the compile command's standard error goes
// to (its redirection in compile_command_text), and that the relay then reads.
namespace drosk {

constexpr std::string_view capture_name = "__stderr__.log";

// Takes an earlier run's capture out of the way before the compile command runs, so that the relay
// shows only what this run's compile wrote, or nothing and "Can't open". Ends the run with "Can't
// unlink" when it stays.
void remove_earlier_capture();

// After the compile: a failed compile whose capture is empty or missing may have lost its messages
// to a full disk ("error while writing A: No space left on device" among them). Ends the run with
// "__stderr__.log: Can't write" when the capture could not take one byte.
void end_if_capture_had_no_room(int compile_status);

}  // namespace drosk
