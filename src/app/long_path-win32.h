// Windows: paths of any length.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <filesystem>
#include <string>

// Paths of MAX_PATH characters or more need the \\?\ form unless the system
// has long paths enabled; the prefixed form works either way.
inline std::wstring LongPath(const std::filesystem::path& path) {
  std::wstring p = path.wstring();
  if (p.size() < MAX_PATH || p.rfind(L"\\\\?\\", 0) == 0) return p;
  if (p.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + p.substr(2);
  return L"\\\\?\\" + p;
}
