// The two file handles read_file.cc and replace_file.cc are written on,
// implemented by file_handles-posix.cc and file_handles-win32.cc.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

#include "app/read_unchanged.h"

int LastError();  // of the call that failed last: errno, GetLastError
bool IsNoSuchFile(int error);
bool IsHeldByAnother(int error);  // for a moment, by another program
uint32_t ProcessId();
std::optional<std::filesystem::path> ProgramFile();
// Where a preview written to `path` goes (on Linux through symbolic links,
// as the kernel would follow them); nullopt where it must not be written.
std::optional<std::filesystem::path> WhereToWrite(
    const std::filesystem::path& path);

// A regular file of the user's folder, held once, checked through the handle
// and asked everything through it, so that its name given meanwhile to a
// pipe, a device or another file is never used. Nothing here waits.
class UserFile {
 public:
  // nullopt where it cannot be held (LastError() tells why) or is not a
  // regular file (LastError() 0). Without `follow_link` the last link of
  // `path` is not followed, and the file must still have that name once held.
  static std::optional<UserFile> Open(const std::filesystem::path& path,
                                      bool follow_link);
  UserFile(UserFile&& other) noexcept
      : handle_(std::exchange(other.handle_, -1)),
        reading_(std::exchange(other.reading_, -1)),
        path_(std::move(other.path_)) {}
  ~UserFile();

  bool IsSameFile(const UserFile& other) const;
  std::optional<FileStamp> Stamp() const;
  // True when this user, or its owner, may not write it (even root respects
  // the owner's here).
  bool ReadOnly() const;
  // Reads from the start from now on; false when it cannot be read (another
  // user's lease on it too).
  bool Rewind();
  int64_t ReadSome(char* where, size_t room);  // as for ReadBounded
  intptr_t Native() const { return handle_; }

 private:
  UserFile(intptr_t handle, std::filesystem::path path)
      : handle_(handle), path_(std::move(path)) {}
  intptr_t handle_;        // a file descriptor or a HANDLE
  intptr_t reading_ = -1;  // opened to read by the first Rewind
  std::filesystem::path path_;
};

// The new preview, beside the file it replaces (`replaces`: there is one),
// its owner's alone and held as a run's own until it is in place; the
// destructor removes one never put in place.
class NewFile {
 public:
  enum class Naming { kNamed, kTaken, kFailed };

  explicit NewFile(bool replaces);
  NewFile(const NewFile&) = delete;
  ~NewFile();

  // A file with no name in `target`'s folder, where the system allows.
  bool CreateUnnamed(const std::filesystem::path& target);
  // Names the unnamed file, or creates an empty one; never through a name
  // already taken (kTaken), a planted link included.
  Naming TryName(const std::filesystem::path& name);
  bool Named() const { return !name_.empty(); }
  // Removes a temporary file a run left, where no run holds it any more and
  // this user could have made it.
  bool RemoveIfAbandoned(const std::filesystem::path& file) const;
  int64_t WriteSome(const char* bytes, size_t size);
  bool Flush();
  void TakeOverSettings(const UserFile& earlier);  // once the data is on disk
  // In `target`'s place in one step: a reader sees either file whole.
  bool PutInPlace(const std::filesystem::path& target);

 private:
  bool replaces_;
  bool placed_ = false;
  intptr_t handle_ = -1;
  std::filesystem::path name_;  // empty while it has none
};
