#pragma once

#include <string>
#include <string_view>

namespace drosk::platform {

// The text converted from the ANSI code page to UTF-16, as the ANSI calls convert it; empty when
// it cannot be.
std::wstring from_ansi(std::string_view text);

// The name by which the wide file calls take a file of any length the file system allows, where
// the ANSI calls stop at 260 characters: converted from the ANSI code page as those calls convert
// it, made a full path (the same "/" to "\", "." and "..", trailing dots and blanks that those
// calls resolve) and marked "\\?\" so that no length limit applies. A device (\\.\NUL) keeps the
// name Windows gives it; a name that cannot be made full is only converted.
std::wstring long_path(const std::string& name);

}  // namespace drosk::platform
