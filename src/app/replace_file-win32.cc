// Windows: putting a new preview in the place of index.htm, whole or not at
// all, with what the user set on the earlier one (docs/DEVELOPING.md,
// "Writing").

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "app/bounded_read.h"
#include "app/long_path-win32.h"
#include "app/platform.h"
#include "app/temporary_name.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 100;
// How long a file held by another program is waited for.
constexpr ULONGLONG kLockWaitMs = 2000;

// A run holds its temporary file open until the file is in place, so one
// that can be opened with no sharing at all is no run's any more, in
// whatever session or on whatever machine sharing the folder that run was:
// it is removed as it is closed.
bool RemoveIfAbandoned(const fs::path& file) {
  const HANDLE handle = CreateFileW(
      LongPath(file).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
}

// Opens the temporary file `temp` as a run holds it while it is ours:
// others may rename it (MoveFileExW does, while it is open) or delete it by
// name, but not open it, so no run takes it for abandoned.
HANDLE Hold(const std::wstring& temp, DWORD access, DWORD creation) {
  return CreateFileW(temp.c_str(), access, FILE_SHARE_DELETE, nullptr, creation,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Creates a new file of our own beside `path`, exclusively, so that no other
// file is ever overwritten. `temp` receives its name.
HANDLE CreateTemporaryBeside(const fs::path& path, std::wstring& temp) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    temp = LongPath(TemporaryPath(path, GetCurrentProcessId(), attempt));
    const HANDLE created = Hold(temp, GENERIC_WRITE, CREATE_NEW);
    if (created != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
      return created;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk =
        static_cast<DWORD>(std::min(bytes.size(), size_t{1} << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) ||
        written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// True when `target` can be taken away now: no other program holds it
// without letting it be deleted.
bool CanBeReplaced(const std::wstring& target) {
  const HANDLE probe =
      CreateFileW(target.c_str(), DELETE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

// Makes `temp`, held open in `held`, the file `target` in one step, so
// that a reader sees either file whole; waits out a lock of up to about two
// seconds, trying again with a growing pause, as well-known tools do for
// scanners and sync clients. While the earlier file is held, only that is
// tried again, not the replace: under Wine every failed ReplaceFileW
// leaves a file behind.
bool PutInPlace(HANDLE& held, const std::wstring& temp,
                const std::wstring& target, bool replaces) {
  const ULONGLONG until = GetTickCount64() + kLockWaitMs;
  DWORD pause = 10;
  for (;;) {
    bool done = false;
    if (!replaces) {
      done = MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else if (CanBeReplaced(target)) {
      // ReplaceFileW opens the new file with no sharing: it is let go of
      // for that moment.
      CloseHandle(held);
      held = INVALID_HANDLE_VALUE;
      done = ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    }
    if (done) return true;
    const DWORD error = GetLastError();
    // The earlier file is gone, or out of the way while the new one did not
    // take its name: the new one can still take it.
    if (replaces && (error == ERROR_FILE_NOT_FOUND ||
                     error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                     error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
      replaces = false;
      continue;
    }
    // Another program holding index.htm for a moment (a virus scanner or a
    // sync client reading the fresh file) makes the switch fail so.
    const bool busy = error == ERROR_ACCESS_DENIED ||
                      error == ERROR_SHARING_VIOLATION ||
                      error == ERROR_LOCK_VIOLATION ||
                      error == ERROR_UNABLE_TO_REMOVE_REPLACED;
    if (!busy || GetTickCount64() >= until) return false;
    if (held == INVALID_HANDLE_VALUE)
      held = Hold(temp, GENERIC_READ, OPEN_EXISTING);
    Sleep(pause);
    pause = std::min<DWORD>(pause * 2, 250);
  }
}

// What the system tells of the file at `path`; nullopt when it cannot be
// opened.
std::optional<BY_HANDLE_FILE_INFORMATION> Describe(const fs::path& path) {
  const HANDLE file =
      CreateFileW(LongPath(path).c_str(), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known) return std::nullopt;
  return info;
}

HANDLE OpenToRead(const fs::path& path) {
  return CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads the open file `file` a piece at a time, from where it is.
auto Reader(HANDLE file) {
  return [file](char* where, size_t room) -> int64_t {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(room, size_t{1} << 30));
    return ReadFile(file, where, chunk, &n, nullptr) ? n : -1;
  };
}

// True when the files at `a` and `b` may be one: the same volume and index,
// or, as the same file seen through another path (a share of this machine,
// say) may have others, the same size and bytes (a byte copy, wrongly taken
// for it, loses nothing).
bool MayBeOneFile(const fs::path& a, const fs::path& b) {
  const auto x = Describe(a), y = Describe(b);
  if (!x || !y) return false;
  if (x->dwVolumeSerialNumber == y->dwVolumeSerialNumber &&
      x->nFileIndexHigh == y->nFileIndexHigh &&
      x->nFileIndexLow == y->nFileIndexLow)
    return true;
  if (x->nFileSizeHigh != y->nFileSizeHigh ||
      x->nFileSizeLow != y->nFileSizeLow)
    return false;
  const HANDLE p = OpenToRead(a), q = OpenToRead(b);
  const bool same = p == INVALID_HANDLE_VALUE || q == INVALID_HANDLE_VALUE ||
                    MayHoldTheSameBytes(Reader(p), Reader(q));
  for (const HANDLE file : {p, q})
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return same;
}

// True when this user may not write `target`: the read-only attribute (the
// user's way of keeping it), or an ACL that does not let this user write.
bool ReadOnly(const std::wstring& target, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return true;
  const HANDLE probe =
      CreateFileW(target.c_str(), FILE_WRITE_DATA,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(probe);
  return false;
}

}  // namespace

WriteStatus ReplaceFileContents(const fs::path& path, std::string_view bytes,
                                const fs::path& source) {
  const std::wstring target = LongPath(path);
  const DWORD earlier = GetFileAttributesW(target.c_str());
  const bool replaces = earlier != INVALID_FILE_ATTRIBUTES;
  if (replaces) {
    // Nor is a folder of that name the user's preview to replace, nor the
    // template or the program itself, when index.htm is, or leads to, one
    // of them.
    const std::optional<fs::path> program = ProgramFile();
    if ((earlier & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        MayBeOneFile(path, source) || (program && MayBeOneFile(path, *program)))
      return WriteStatus::kFailed;
    // Checked here since not every system refuses to replace such a file.
    if (ReadOnly(target, earlier)) return WriteStatus::kReadOnly;
  }

  RemoveStaleTemporaries(path, RemoveIfAbandoned);
  std::wstring temp;
  HANDLE held = CreateTemporaryBeside(path, temp);
  if (held == INVALID_HANDLE_VALUE) return WriteStatus::kFailed;
  const bool ok = WriteAll(held, bytes) && FlushFileBuffers(held) &&
                  PutInPlace(held, temp, target, replaces);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  if (!ok) DeleteFileW(temp.c_str());
  return ok ? WriteStatus::kWritten : WriteStatus::kFailed;
}
