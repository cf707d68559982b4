// Windows: the file handles. A file of the user's folder is held by a
// handle that asks for no access, so that another program's sharing cannot
// refuse it; it is opened to read only when it is read. The new preview is
// held open, sharing only deletion, until it is in place.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "app/clock_time.h"
#include "app/file_handles.h"
#include "app/long_path-win32.h"
#include "app/platform.h"

namespace fs = std::filesystem;

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t FromHandle(HANDLE handle) {
  return reinterpret_cast<intptr_t>(handle);
}

uint64_t Join(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

BY_HANDLE_FILE_INFORMATION Info(intptr_t handle) {
  BY_HANDLE_FILE_INFORMATION info = {};
  (void)GetFileInformationByHandle(AsHandle(handle), &info);
  return info;
}

// Opens the existing `path`, letting others do anything with it meanwhile.
HANDLE OpenShared(const fs::path& path, DWORD access,
                  DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(LongPath(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

// True when `path` opens with `access`; GetLastError() tells why not.
bool CanOpen(const fs::path& path, DWORD access, DWORD flags) {
  const HANDLE probe = OpenShared(path, access, flags);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

// Opens the temporary file `name` as a run holds it while it is ours:
// others may rename it (MoveFileExW does, while it is open) or delete it by
// name, but not open it, so no run takes it for abandoned.
HANDLE Hold(const fs::path& name, DWORD access, DWORD creation) {
  return CreateFileW(LongPath(name).c_str(), access, FILE_SHARE_DELETE, nullptr,
                     creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int LastError() { return static_cast<int>(GetLastError()); }

bool IsNoSuchFile(int error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Another program holding index.htm for a moment (a virus scanner or a sync
// client reading the fresh file) makes the switch fail so.
bool IsHeldByAnother(int error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

uint32_t ProcessId() { return GetCurrentProcessId(); }

std::optional<fs::path> WhereToWrite(const fs::path& path) { return path; }

std::optional<UserFile> UserFile::Open(const fs::path& path, bool) {
  const HANDLE handle = OpenShared(path, 0, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  UserFile file(FromHandle(handle), path);
  // Checked through the handle: the name may have been given to something
  // other than a file on disk since it was looked at.
  const bool regular =
      GetFileType(handle) == FILE_TYPE_DISK &&
      (Info(file.handle_).dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  SetLastError(0);
  if (!regular) return std::nullopt;
  return file;
}

UserFile::~UserFile() {
  for (const intptr_t handle : {reading_, handle_})
    if (handle != -1) CloseHandle(AsHandle(handle));
}

bool UserFile::IsSameFile(const UserFile& other) const {
  const BY_HANDLE_FILE_INFORMATION a = Info(handle_), b = Info(other.handle_);
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

std::optional<FileStamp> UserFile::Stamp() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle_), &info))
    return std::nullopt;
  // File times count hundreds of nanoseconds from 1601, the system clock
  // from 1970.
  using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;
  const uint64_t modified = Join(info.ftLastWriteTime.dwHighDateTime,
                                 info.ftLastWriteTime.dwLowDateTime);
  return FileStamp{Join(info.nFileSizeHigh, info.nFileSizeLow),
                   ClockTime(Ticks(static_cast<int64_t>(
                       modified - 116'444'736'000'000'000)))};
}

// The read-only attribute, or an ACL that does not let this user write.
bool UserFile::ReadOnly() const {
  return (Info(handle_).dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ||
         (!CanOpen(path_, FILE_WRITE_DATA, FILE_ATTRIBUTE_NORMAL) &&
          GetLastError() == ERROR_ACCESS_DENIED);
}

bool UserFile::Rewind() {
  // An editor may hold the template open for writing, or to rename it as it
  // saves; what it does meanwhile, ReadUnchanged sees.
  if (reading_ == -1) reading_ = FromHandle(OpenShared(path_, GENERIC_READ));
  return reading_ != -1 && SetFilePointerEx(AsHandle(reading_), LARGE_INTEGER{},
                                            nullptr, FILE_BEGIN);
}

int64_t UserFile::ReadSome(char* where, size_t room) {
  DWORD n = 0;
  const DWORD chunk = static_cast<DWORD>(std::min(room, size_t{1} << 30));
  return ReadFile(AsHandle(reading_), where, chunk, &n, nullptr) ? n : -1;
}

NewFile::NewFile(bool replaces) : replaces_(replaces) {}

NewFile::~NewFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  if (Named() && !placed_) DeleteFileW(LongPath(name_).c_str());
}

// Windows files have a name from the start.
bool NewFile::CreateUnnamed(const fs::path&) { return false; }

NewFile::Naming NewFile::TryName(const fs::path& name) {
  const HANDLE created = Hold(name, GENERIC_WRITE, CREATE_NEW);
  if (created == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_EXISTS ? Naming::kTaken
                                               : Naming::kFailed;
  handle_ = FromHandle(created);
  name_ = name;
  return Naming::kNamed;
}

// A run holds its temporary file open until it is in place: one that opens
// with no sharing at all is no run's, in whatever session or on whatever
// machine sharing the folder, and is removed as it is closed.
bool NewFile::RemoveIfAbandoned(const fs::path& file) const {
  const HANDLE handle = CreateFileW(
      LongPath(file).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
}

int64_t NewFile::WriteSome(const char* bytes, size_t size) {
  const DWORD chunk = static_cast<DWORD>(std::min(size, size_t{1} << 30));
  DWORD written = 0;
  return WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr) ? written
                                                                       : -1;
}

bool NewFile::Flush() { return FlushFileBuffers(AsHandle(handle_)); }

// ReplaceFileW keeps the earlier file's attributes, ACL and streams itself.
void NewFile::TakeOverSettings(const UserFile&) {}

// The replace is tried only once no other program holds the earlier file
// without letting it be deleted: under Wine every failed ReplaceFileW leaves
// a file behind.
bool NewFile::PutInPlace(const fs::path& target) {
  const std::wstring to = LongPath(target), from = LongPath(name_);
  if (!replaces_) {
    placed_ = MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  } else if (CanOpen(target, DELETE, FILE_FLAG_BACKUP_SEMANTICS)) {
    // ReplaceFileW opens the new file with no sharing: it is let go of for
    // that moment, and held again should the switch have to wait.
    CloseHandle(AsHandle(handle_));
    handle_ = -1;
    placed_ = ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  }
  if (placed_) return true;
  const DWORD error = GetLastError();
  // The earlier file is gone, or out of the way while the new one did not
  // take its name: the new one can still take it.
  if (replaces_ && (error == ERROR_FILE_NOT_FOUND ||
                    error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                    error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
    replaces_ = false;
    return PutInPlace(target);
  }
  if (handle_ == -1)
    handle_ = FromHandle(Hold(name_, GENERIC_READ, OPEN_EXISTING));
  SetLastError(error);
  return false;
}
