#pragma once

#include <string>

namespace drosk::platform {

// The identity of the current directory as a word without blanks, the same for every name the
// directory has (device and inode; on Windows, volume serial number and file index); empty when it
// cannot be had.
std::string current_directory_id();

}  // namespace drosk::platform
