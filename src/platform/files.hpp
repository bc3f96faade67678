#pragma once

#include <cstdio>
#include <string>

// The platform's files and standard streams. Every file is opened in binary; drosk's own text mode
// lies on top, so the bytes written are the same on every platform.
namespace drosk::platform {

// Run first: makes standard input, output and error safe to use and to lose (a closed one is
// replaced, so no file opened later takes its place; a broken pipe becomes a write error).
void prepare_process();

// Opens an existing file for reading; nullptr when it cannot be opened or is a directory.
std::FILE* open_for_reading(const std::string& name);

// Creates or empties a file for writing; nullptr on failure.
std::FILE* open_for_writing(const std::string& name);

bool remove_file(const std::string& name);

// Renames `from` to `to`, a name that does not exist.
bool rename_file(const std::string& from, const std::string& to);

}  // namespace drosk::platform
