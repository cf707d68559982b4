// Windows: the program's folder, and reading the template.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/bounded_read.h"
#include "app/long_path-win32.h"
#include "app/platform.h"

namespace {

uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<uint64_t>(high) << 32) | low;
}

std::optional<FileStamp> StampOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  // File times count hundreds of nanoseconds from 1601, the system clock
  // from 1970.
  using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;
  const uint64_t modified = Join(info.ftLastWriteTime.dwHighDateTime,
                                 info.ftLastWriteTime.dwLowDateTime);
  return FileStamp{Join(info.nFileSizeHigh, info.nFileSizeLow),
                   ClockTime(Ticks(static_cast<int64_t>(
                       modified - 116'444'736'000'000'000))),
                   0};
}

ReadResult ReadOpenFile(HANDLE file, size_t max_bytes) {
  // Checked through the handle: the name may have been given to something
  // other than a file on disk since it was looked at.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {ReadStatus::kNotFound, {}};
  const auto read_some = [file](char* where, size_t room) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(room, size_t{1} << 30));
    return ReadFile(file, where, chunk, &n, nullptr) ? static_cast<int64_t>(n)
                                                     : -1;
  };
  return ReadUnchanged(
      [file] { return StampOf(file); },
      [&](uint64_t size) -> ReadResult {
        if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN))
          return {ReadStatus::kFailed, {}};
        return ReadBounded(size, max_bytes, read_some);
      });
}

}  // namespace

std::optional<std::filesystem::path> ProgramFile() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::nullopt;
    if (n < buffer.size())
      return std::filesystem::path(buffer.data(), buffer.data() + n);
    if (buffer.size() >= 32768 * 2) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::filesystem::path> ProgramDirectory() {
  const std::optional<std::filesystem::path> program = ProgramFile();
  if (!program) return std::nullopt;
  return program->parent_path();
}

bool FileExists(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes) {
  const HANDLE file = CreateFileW(
      LongPath(path).c_str(), GENERIC_READ,
      // An editor may hold the template open for writing, or to rename it
      // as it saves; what it does meanwhile, ReadUnchanged sees.
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
