#pragma once

#include <cstdint>
#include <string>

namespace drosk::platform {

// Runs in one directory take turns: an exclusive lock on the file `name` in it (the command log),
// waited for and held while the object lives. POSIX: an flock; Windows: a byte-range lock. Both
// work on local disks, NFS and network drives, and belong to the directory whatever file
// drosk.ini is. A file that this run creates and leaves empty is removed on release, so a run that
// stops early leaves none behind; one left by a run that was killed is taken over. Where nothing
// can be locked (a link or FIFO under the name, a read-only directory, no locks on the file
// system), the run goes on unlocked. Nothing of it is inherited by commands, so a process that a
// command leaves running cannot keep the lock. Without `wait`, a lock that another process holds
// is not waited for: the object is then `busy`.
class directory_lock {
 public:
  directory_lock(const std::string& name, bool wait);
  ~directory_lock();
  directory_lock(const directory_lock&) = delete;
  directory_lock& operator=(const directory_lock&) = delete;
  bool busy() const { return busy_; }

 private:
  std::string name_;
  // The file's descriptor or HANDLE, -1 when none is held.
  std::intptr_t file_ = -1;
  bool created_ = false;
  bool busy_ = false;
};

}  // namespace drosk::platform
