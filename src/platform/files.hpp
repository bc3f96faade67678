#pragma once

#include <cstdio>
#include <string>

// The platform's files. Every file is opened in binary; drosk's own text mode
// lies on top, so the bytes written are the same on every platform.
namespace drosk::platform {

// What a rewritten file takes over from the file it replaces, as the platform gives it: the mode,
// and the owner and group where there are such.
struct file_attributes {
  unsigned long mode = 0;
  unsigned long owner = 0;
  unsigned long group = 0;
};

// Opens an existing regular file for reading; nullptr when it cannot be opened or is anything else
// (a directory, a FIFO, a device), which is then never opened. A link to a regular file is
// followed. Given `attributes`, the file is one to be replaced: they are filled in, and a name
// that passes through a descriptor link (/dev/stdin, /dev/fd/N) is refused as well.
std::FILE* open_for_reading(const std::string& name, file_attributes* attributes = nullptr);

// Creates or empties a regular file for writing; nullptr on failure, or when the name stands for
// anything else (a directory, a FIFO, a device, a link), which is left as it is.
std::FILE* open_for_writing(const std::string& name);

// Creates a new file for writing, readable by its owner alone, beside the file it is to replace.
// Whatever stands under the name but a directory is removed first (a link, not what it points to),
// or taken over where it is a file of this user's alone; never written through a link. nullptr on
// failure. Runs take turns on the name, each waiting until the one before has renamed its
// temporary with replace_file (or ended), so that no run's temporary is touched by another.
std::FILE* create_temporary(const std::string& name);

// Gives the open file the attributes, as far as the platform allows.
void give_attributes(std::FILE* file, const file_attributes& attributes);

bool remove_file(const std::string& name);

// Takes a regular file out of the way of a new one that a command is to create under its name:
// removes it (on Windows renames it to a unique name beside it first, since a file that another
// program holds open with delete sharing keeps its name until closed), or else empties it in
// place. Anything else under the name (a link, a FIFO, a device, a directory) is left as it is.
// False when a regular file stays with its content.
bool clear_old_file(const std::string& name);

// Whether a regular file, empty or missing, could not take one byte more for want of space (a full
// file system, a used-up quota): the byte is appended, or the file created, and the file then put
// back as it was. False where the platform does not tell.
bool no_room_for(const std::string& name);

// Puts the file `from` in the place of the file `to` in one step: whenever it stops, `to` names
// either the old file or the new one. On failure both stay as they were. Ends this run's turn on
// the temporary's name, successful or not. Windows: a file held open by a reader that does not
// share deleting is waited for, up to two seconds.
bool replace_file(const std::string& from, const std::string& to);

}  // namespace drosk::platform
