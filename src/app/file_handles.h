// The two file handles each platform gives the reading and replacing policy
// (read_file.cc, replace_file.cc), which is written once over them; each is
// implemented in file_handles-posix.cc and file_handles-win32.cc, and holds
// only what the platforms do differently.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "app/read_unchanged.h"

// The system's code for the call that failed last (errno, GetLastError).
int LastError();
// True when `error` tells that no file has that name.
bool IsNoSuchFile(int error);
// True when `error` tells that another program holds the file for a moment.
bool IsHeldByAnother(int error);
uint32_t ProcessId();
// The program's own file, by a name that leads to it.
std::optional<std::filesystem::path> ProgramFile();
// Where a preview written to `path` goes: on Linux through symbolic links,
// as the kernel would follow them; nullopt where it must not be written.
std::optional<std::filesystem::path> WhereToWrite(
    const std::filesystem::path& path);

// A regular file of the user's folder, held once and checked through the
// handle, so that a name given to something else meanwhile (a pipe, a
// device, another file) is never read or written through: everything the
// run wants of the file is asked of the handle. Opening it never waits.
class UserFile {
 public:
  // nullopt where it cannot be held (LastError() tells why) or is not a
  // regular file (LastError() is then 0). The last link of `path` is
  // followed only where `follow_link`; without it, the file must still be
  // the one the name shows once held.
  static std::optional<UserFile> Open(const std::filesystem::path& path,
                                      bool follow_link);
  UserFile(UserFile&& other) noexcept
      : handle_(std::exchange(other.handle_, -1)),
        reading_(std::exchange(other.reading_, -1)),
        path_(std::move(other.path_)) {}
  ~UserFile();

  bool IsSameFile(const UserFile& other) const;
  uint64_t Size() const;
  std::optional<FileStamp> Stamp() const;
  // True when this user may not write it (the owner's or the user's way of
  // keeping it, which even root respects here).
  bool ReadOnly() const;
  // Makes the next ReadSome read from its start; false when it cannot be
  // read (another user's lease on it too: that is not waited for).
  bool Rewind();
  // How many bytes it read, 0 at the end, less than 0 on failure.
  int64_t ReadSome(char* where, size_t room);
  intptr_t Native() const { return handle_; }

 private:
  UserFile(intptr_t handle, std::filesystem::path path)
      : handle_(handle), path_(std::move(path)) {}
  intptr_t handle_;        // a file descriptor, or a HANDLE
  intptr_t reading_ = -1;  // opened to read on the first Rewind
  std::filesystem::path path_;
};

// The new preview, written beside the file it replaces. It is its owner's
// alone and held as a run's own (see RemoveIfAbandoned) from its creation
// until it is in place; the destructor removes one never put in place.
class NewFile {
 public:
  enum class Naming { kNamed, kTaken, kFailed };

  // `replaces`: an earlier file is there, whose settings it takes over.
  explicit NewFile(bool replaces);
  NewFile(const NewFile&) = delete;
  ~NewFile();

  // Where the file system allows, a file with no name in `target`'s folder.
  bool CreateUnnamed(const std::filesystem::path& target);
  // Names the unnamed file `name`, or creates an empty one there; never
  // through a name already taken (kTaken), a planted link included.
  Naming TryName(const std::filesystem::path& name);
  bool Named() const { return !name_.empty(); }
  // Removes `file`, a temporary file a run left, where no run holds it any
  // more and this user could have made it.
  bool RemoveIfAbandoned(const std::filesystem::path& file) const;
  int64_t WriteSome(const char* bytes, size_t size);
  bool Flush();
  // Gives it what the user set on `earlier`, once its data is on disk.
  void TakeOverSettings(const UserFile& earlier);
  // Makes it `target` in one step, so that a reader sees either file whole.
  bool PutInPlace(const std::filesystem::path& target);

 private:
  bool replaces_;
  bool placed_ = false;
  intptr_t handle_ = -1;
  std::filesystem::path name_;  // empty while it has none
};
