#pragma once

#include <cstdint>
#include <string>

namespace drosk::platform {

// Runs in one directory take turns: an exclusive lock that belongs to the current directory,
// whatever file drosk.ini is, waited for and held while the object lives. No file is created or
// written. POSIX: an flock on the directory; where the file system refuses that (NFS), the file
// `settings_file` is locked instead. Windows: a named mutex in the Global\ namespace, named from
// `directory_id` (directory_id.hpp); the file is locked where the mutex is refused, and on a
// network drive as well, for runs from other machines. Where nothing can be locked, the run goes on
// unlocked. Nothing of it is inherited by commands, so a process that a command leaves running
// cannot keep the lock; the system releases it when drosk ends, whichever way. Without `wait`, a
// lock that another process holds is not waited for: the object is then `busy`.
class directory_lock {
 public:
  directory_lock(const std::string& directory_id, const std::string& settings_file, bool wait);
  ~directory_lock();
  directory_lock(const directory_lock&) = delete;
  directory_lock& operator=(const directory_lock&) = delete;
  bool busy() const { return busy_; }

 private:
  // Descriptors or HANDLEs, -1 when not held: the directory's lock (POSIX: a descriptor of the
  // directory; Windows: the mutex), and the settings file's.
  std::intptr_t directory_ = -1;
  std::intptr_t file_ = -1;
  bool busy_ = false;
};

}  // namespace drosk::platform
