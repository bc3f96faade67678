#pragma once

namespace drosk {

// After the compile: a failed compile whose capture is empty or missing may have lost its messages
// to a full disk ("error while writing A: No space left on device" among them). Ends the run with
// "__stderr__.log: Can't write" when the capture could not take one byte.
void check_capture_space(int compile_status);

}  // namespace drosk
