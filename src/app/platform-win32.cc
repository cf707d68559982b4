// Windows: the program's folder and its files.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/bounded_read.h"
#include "app/platform.h"

namespace {

// Paths of MAX_PATH characters or more need the \\?\ form unless the system
// has long paths enabled; the prefixed form works either way.
std::wstring LongPath(const std::filesystem::path& path) {
  std::wstring p = path.wstring();
  if (p.size() < MAX_PATH || p.rfind(L"\\\\?\\", 0) == 0) return p;
  if (p.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + p.substr(2);
  return L"\\\\?\\" + p;
}

ReadResult ReadOpenFile(HANDLE file, size_t max_bytes) {
  // Checked through the handle: the name may have been given to something
  // other than a file on disk since it was looked at.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {ReadStatus::kNotFound, {}};
  const uint64_t size =
      (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return ReadBounded(size, max_bytes, [file](char* where, size_t room) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(room, size_t{1} << 30));
    return ReadFile(file, where, chunk, &n, nullptr) ? static_cast<int64_t>(n) : -1;
  });
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

ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes) {
  const HANDLE file =
      CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool gone =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {gone ? ReadStatus::kNotFound : ReadStatus::kFailed, {}};
  }
  ReadResult result = ReadOpenFile(file, max_bytes);
  CloseHandle(file);
  return result;
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

WriteStatus ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes) {
  // A read-only earlier file is the user's way of keeping it. Checked here
  // since not every system refuses to rename over one.
  const std::wstring target = LongPath(path);
  const DWORD earlier = GetFileAttributesW(target.c_str());
  if (earlier != INVALID_FILE_ATTRIBUTES &&
      (earlier & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      (earlier & FILE_ATTRIBUTE_READONLY) != 0)
    return WriteStatus::kReadOnly;

  std::wstring temp;
  const HANDLE file = CreateTemporaryBeside(path, temp);
  if (file == INVALID_HANDLE_VALUE) return WriteStatus::kFailed;

  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // One step from the old file to the new one: a reader sees either.
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp.c_str());
  return ok ? WriteStatus::kWritten : WriteStatus::kFailed;
}
