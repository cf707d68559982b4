// Windows.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "app/platform.h"

namespace {

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// Paths of MAX_PATH characters or more need the \\?\ form unless the system
// has long paths enabled; the prefixed form works either way.
std::wstring LongPath(const std::filesystem::path& path) {
  std::wstring p = path.wstring();
  if (p.size() < MAX_PATH || p.rfind(L"\\\\?\\", 0) == 0) return p;
  if (p.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + p.substr(2);
  return L"\\\\?\\" + p;
}

}  // namespace

std::optional<std::filesystem::path> ProgramDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::nullopt;
    if (n < buffer.size()) {
      return std::filesystem::path(std::wstring(buffer.data(), n))
          .parent_path();
    }
    if (buffer.size() >= 32768 * 2) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

bool FileExists(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  const HANDLE file =
      CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> bytes = std::string();
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
    bytes->reserve(static_cast<size_t>(size.QuadPart));
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &n,
                  nullptr)) {
      bytes.reset();
      break;
    }
    if (n == 0) break;
    bytes->append(buffer.data(), n);
  }
  CloseHandle(file);
  return bytes;
}

namespace {

// Creates a new file of our own beside `path`, exclusively, so that no other
// file is ever overwritten. `temp` receives its name.
HANDLE CreateTemporaryBeside(const std::filesystem::path& path,
                             std::wstring& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    // The suffix may push the name past MAX_PATH, so it is added first.
    temp = LongPath(path.wstring() + L"." +
                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt) + L".tmp");
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
      return file;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(
        bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) ||
        written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileContents(const std::filesystem::path& path,
                         std::string_view bytes) {
  std::wstring temp;
  const HANDLE file = CreateTemporaryBeside(path, temp);
  if (file == INVALID_HANDLE_VALUE) return false;

  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // One step from the old file to the new one: a reader sees either.
  ok = ok && MoveFileExW(temp.c_str(), LongPath(path).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  // Left to right, OK only: the texts carry their own direction marks.
  const UINT style =
      MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), style);
}
