#include "platform/long_path_win32.hpp"

#include <windows.h>

namespace drosk::platform {

std::wstring from_ansi(std::string_view text) {
  int size = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
  return wide;
}

std::wstring long_path(const std::string& name) {
  std::wstring path = from_ansi(name);
  // Room for the longest name Windows has.
  std::wstring full(32768, L'\0');
  DWORD length = path.empty() ? 0 : GetFullPathNameW(path.c_str(), 32768, full.data(), nullptr);
  if (length == 0 || length >= 32768) return path;
  full.resize(length);
  if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace drosk::platform
