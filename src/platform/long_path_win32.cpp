#include "platform/long_path_win32.hpp"

#include <windows.h>

namespace drosk::platform {
namespace {

std::wstring from_ansi(const std::string& text) {
  int size = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
  return wide;
}

std::wstring full_path(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return {};
  full.resize(length);
  return full;
}

}  // namespace

std::wstring long_path(const std::string& name) {
  std::wstring path = from_ansi(name);
  std::wstring full = path.empty() ? std::wstring() : full_path(path);
  if (full.empty()) return path;
  if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace drosk::platform
