#pragma once

#include <string>

// POSIX only.
namespace drosk::platform {

// Whether the name passes through one of /proc's descriptor links (/dev/stdin, /dev/fd/N,
// /proc/self/fd/N and the like), also by way of other symbolic links. What lies behind one is the
// file a descriptor holds open: a file put in its place by name is not what the holder reads, and
// the name may lead anywhere. Asked of the kernel where it can say (Linux 5.6 and later).
bool through_descriptor_link(const std::string& name);

// The same, found by following the name's links one at a time: a link that lies on a proc file
// system counts as a descriptor link.
bool through_proc_link(const std::string& name);

}  // namespace drosk::platform
