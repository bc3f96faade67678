#pragma once

#include <cstdint>
#include <string>

namespace drosk::platform {

// An exclusive advisory lock on an existing file, waited for and held while the object lives. The
// file is only opened, never written or created. Where the file system has no locks, or the file
// cannot be opened, the object holds nothing and the run goes on unlocked. The descriptor is not
// inherited by commands, so a process that a command leaves running cannot keep the lock.
class file_lock {
 public:
  explicit file_lock(const std::string& name);
  ~file_lock();
  file_lock(const file_lock&) = delete;
  file_lock& operator=(const file_lock&) = delete;

 private:
  std::intptr_t handle_;  // a descriptor or a HANDLE; -1 when nothing is held
};

}  // namespace drosk::platform
