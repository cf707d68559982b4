// Windows: putting a new preview in the place of index.htm, whole or not at
// all, with what the user set on the earlier one (docs/DEVELOPING.md,
// "Writing").

#include <algorithm>
#include <string>

#include "app/long_path-win32.h"
#include "app/platform.h"
#include "app/temporary_name.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 100;
// How long a file held by another program is waited for.
constexpr ULONGLONG kLockWaitMs = 2000;

// True for a process that no longer runs: one that does, or that cannot be
// told from one that does, keeps its temporary file.
bool LeftByEndedRun(const fs::path&, uint32_t process) {
  const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
  if (!handle) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(handle, 0) != WAIT_TIMEOUT;
  CloseHandle(handle);
  return ended;
}

// Creates a new file of our own beside `path`, exclusively, so that no other
// file is ever overwritten. `temp` receives its name.
HANDLE CreateTemporaryBeside(const fs::path& path, std::wstring& temp) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    temp = LongPath(TemporaryPath(path, GetCurrentProcessId(), attempt));
    const HANDLE created =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
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

// Makes `temp` the file `target` in one step, so that a reader sees either
// file whole; waits out a lock of up to about two seconds, trying again
// with a growing pause, as well-known tools do for scanners and sync
// clients. While the earlier file is held, only that is tried again, not
// the replace: under Wine every failed ReplaceFileW leaves a file behind.
bool PutInPlace(const std::wstring& temp, const std::wstring& target,
                bool replaces) {
  const ULONGLONG until = GetTickCount64() + kLockWaitMs;
  DWORD pause = 10;
  for (;;) {
    bool done = false;
    if (!replaces) {
      done = MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else if (CanBeReplaced(target)) {
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
    const bool held = error == ERROR_ACCESS_DENIED ||
                      error == ERROR_SHARING_VIOLATION ||
                      error == ERROR_LOCK_VIOLATION ||
                      error == ERROR_UNABLE_TO_REMOVE_REPLACED;
    if (!held || GetTickCount64() >= until) return false;
    Sleep(pause);
    pause = std::min<DWORD>(pause * 2, 250);
  }
}

}  // namespace

WriteStatus ReplaceFileContents(const fs::path& path, std::string_view bytes) {
  // A read-only earlier file is the user's way of keeping it. Checked here
  // since not every system refuses to replace one.
  const std::wstring target = LongPath(path);
  const DWORD earlier = GetFileAttributesW(target.c_str());
  const bool replaces = earlier != INVALID_FILE_ATTRIBUTES;
  // A folder of that name is not the user's preview to replace.
  if (replaces && (earlier & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return WriteStatus::kFailed;
  if (replaces && (earlier & FILE_ATTRIBUTE_READONLY) != 0)
    return WriteStatus::kReadOnly;

  RemoveStaleTemporaries(path, LeftByEndedRun);
  std::wstring temp;
  const HANDLE file = CreateTemporaryBeside(path, temp);
  if (file == INVALID_HANDLE_VALUE) return WriteStatus::kFailed;
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && PutInPlace(temp, target, replaces);
  if (!ok) DeleteFileW(temp.c_str());
  return ok ? WriteStatus::kWritten : WriteStatus::kFailed;
}
