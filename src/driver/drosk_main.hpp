#pragma once

namespace drosk {

// The whole run, from the process's arguments to its exit status.
int drosk_main(int argc, char** argv);

}  // namespace drosk
