#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drosk {

// Writes one argument for /bin/sh so that it reaches the command as exactly one word, never
// interpreted: unchanged when it is made only of characters that mean nothing to the shell,
// otherwise in single quotes.
std::string quote_for_shell(std::string_view arg);

// The arguments quoted for /bin/sh, joined by one blank.
std::string join_for_shell(const std::vector<std::string>& args);

}  // namespace drosk
