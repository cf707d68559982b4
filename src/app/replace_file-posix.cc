// Linux and other POSIX systems: putting a new preview in the place of
// index.htm, whole or not at all, with what the user set on the earlier one
// (docs/DEVELOPING.md, "Writing").

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/bounded_read.h"
#include "app/ending_signals-posix.h"
#include "app/file_settings-posix.h"
#include "app/held_file-posix.h"
#include "app/platform.h"
#include "app/retry_eintr-posix.h"
#include "app/temporary_name.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 100;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = RetryOnInterrupt(
        [&] { return ::write(fd, bytes.data(), bytes.size()); });
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Where a preview written to `path` goes, and what its name showed there
// (nothing, where no file is there yet).
struct Target {
  fs::path path;
  std::optional<struct stat> shown;
};

// Follows symbolic links to the file they end at, which need not exist yet,
// so that a link named index.htm (into a web folder, say) stays a link.
// nullopt for a loop and for a link the kernel's rule (fs.protected_symlinks,
// kept here whatever that setting) would not follow: in a sticky folder open
// to all, one owned by neither this user nor the folder's owner.
std::optional<Target> FollowLinks(fs::path path) {
  constexpr mode_t kOpenSticky = S_ISVTX | S_IWOTH;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info, folder;
    if (::lstat(path.c_str(), &info) != 0) return Target{path, std::nullopt};
    if (!S_ISLNK(info.st_mode)) return Target{path, info};
    if (::stat((path.parent_path() / ".").c_str(), &folder) != 0 ||
        ((folder.st_mode & kOpenSticky) == kOpenSticky &&
         info.st_uid != ::geteuid() && info.st_uid != folder.st_uid))
      return std::nullopt;
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    path = path.parent_path() / target;  // an absolute target replaces it all
  }
  return std::nullopt;
}

// True when `name` still leads to the file open as `fd`, and not to one
// another run has put there since.
bool StillNamed(int fd, const char* name) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::lstat(name, &named) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

// Removes the leftover `file` when no run can still own it and this user
// could have made it. A run keeps its temporary file locked for as long as
// it has one, and the lock ends with the process that held it, in whatever
// process namespace it ran or (where the file system shares locks, as NFS
// does) on whatever machine: what can be locked now is abandoned. It could
// have made a regular file owned by `maker`, the owner its own new file
// shows (one owner for all on FAT and some FUSE folders), and root any.
bool RemoveIfAbandoned(const fs::path& file, uid_t maker) {
  const std::optional<HeldFile> held = HoldRegularFile(file.c_str(), false);
  if (!held || (held->info.st_uid != maker && ::geteuid() != 0)) return false;
  // For writing, as NFS locks a file exclusively only then; not for
  // reading, which the earlier file's mode may not let its owner (0200).
  const FileDescriptor fd = held->Reopen(O_WRONLY);
  // Still the file of that name once locked: not one a new run made there
  // after another removed the one opened.
  return fd && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
         StillNamed(fd.get(), file.c_str()) && ::unlink(file.c_str()) == 0;
}

// Locks the new file `fd` for as long as it is open (see
// RemoveIfAbandoned). Where the file system has no locks, a leftover is
// never taken for abandoned: nothing could tell.
void HoldAsOurs(int fd) { (void)::flock(fd, LOCK_EX | LOCK_NB); }

// Creates an empty file of our own at `name`, exclusively, and locks it.
// -1 when the name is taken; errno EEXIST too when a run cleaning up took
// the file for abandoned before it was locked, and removed it.
int CreateLocked(const std::string& name, mode_t mode) {
  const int fd = RetryOnInterrupt([&] {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  });
  if (fd == -1) return -1;
  HoldAsOurs(fd);
  if (StillNamed(fd, name.c_str())) return fd;
  ::close(fd);
  errno = EEXIST;
  return -1;
}

// Gives a new file a temporary name beside `target`, exclusively: a name
// already taken (by a link planted there, too) is passed over, never
// written through. With `fd` open, links that unnamed file; with -1,
// creates an empty one with `mode`, locked, and opens it in `fd`.
bool NameTemporary(const fs::path& target, int& fd, std::string& name,
                   mode_t mode) {
  const std::string proc_path = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name = TemporaryPath(target, static_cast<uint32_t>(::getpid()), attempt);
    const HeldEndingSignals held;
    const bool named = fd == -1
                           ? (fd = CreateLocked(name, mode)) != -1
                           : ::linkat(AT_FDCWD, proc_path.c_str(), AT_FDCWD,
                                      name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (named) {
      SetTemporaryFile(name.c_str());
      return true;
    }
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

// Writes `bytes` to a new file in the folder of `target`, gives it the
// earlier file's settings and makes it `target`. It is locked for as long
// as it is ours (see RemoveIfAbandoned), and its owner's alone until all
// its data is on disk; with no earlier file, it is made as any new file
// (the kernel applies the umask or the folder's default ACL to 0666).
bool WriteNewFile(const fs::path& target, const HeldFile* earlier,
                  std::string_view bytes) {
  const mode_t mode = earlier ? 0600 : 0666;
  int fd = -1;
  std::string name;  // empty while the file has none
#ifdef O_TMPFILE
  fd = RetryOnInterrupt([&] {
    return ::open(target.parent_path().c_str(),
                  O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  });
#endif
  const bool unnamed = fd != -1;
  if (unnamed) HoldAsOurs(fd);
  if (!unnamed && !NameTemporary(target, fd, name, mode)) return false;
  struct stat made;
  if (::fstat(fd, &made) == 0)
    RemoveStaleTemporaries(target, [&](const fs::path& file) {
      return RemoveIfAbandoned(file, made.st_uid);
    });

  // The data is on disk before the file is opened to others or has the
  // name: a crash after the rename must not leave index.htm empty or cut
  // short.
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (ok && earlier) TakeOverSettings(fd, *earlier);
  if (ok && unnamed) ok = NameTemporary(target, fd, name, mode);
  if (!name.empty()) {
    const HeldEndingSignals held;
    // The rename makes the switch atomic: a reader sees either file whole.
    ok = ok && ::rename(name.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(name.c_str());
    SetTemporaryFile(nullptr);
  }
  // Closed only now, so that the lock lasts as long as the temporary name.
  // The data was flushed, so closing cannot lose any of it.
  ::close(fd);
  return ok;
}

// Reads the open file `fd` a piece at a time, from where it is.
auto Reader(int fd) {
  return [fd](char* where, size_t room) {
    return RetryOnInterrupt([&] { return ::read(fd, where, room); });
  };
}

// True when `earlier` may be the file at `path`: the same device and inode,
// whatever links lead to either, or, as the same file seen through another
// mount (a FUSE mirror, an overlay) has others, the same size and bytes (a
// byte copy, wrongly taken for it, loses nothing).
bool MayBeOneFile(const HeldFile& earlier, const char* path) {
  const std::optional<HeldFile> other = HoldRegularFile(path, true);
  if (!other) return false;
  if (other->info.st_dev == earlier.info.st_dev &&
      other->info.st_ino == earlier.info.st_ino)
    return true;
  if (other->info.st_size != earlier.info.st_size) return false;
  const FileDescriptor a = earlier.Reopen(O_RDONLY), b = other->Reopen(O_RDONLY);
  return !a || !b || MayHoldTheSameBytes(Reader(a.get()), Reader(b.get()));
}

// True when this user may not write `file`: its owner may not (the user's
// way of keeping it, which even root respects here), or this user may not
// (another's file, an ACL).
bool ReadOnly(const HeldFile& file) {
  return (file.info.st_mode & S_IWUSR) == 0 ||
         (::faccessat(AT_FDCWD, file.Path().c_str(), W_OK, AT_EACCESS) != 0 &&
          errno == EACCES);
}

}  // namespace

WriteStatus ReplaceFileContents(const fs::path& path, std::string_view bytes,
                                const fs::path& source) {
  const std::optional<Target> target = FollowLinks(path);
  if (!target) return WriteStatus::kFailed;
  std::optional<HeldFile> earlier;
  if (target->shown) {
    // Held once, not followed, and checked through the handle. Nor is a
    // folder of that name (or one a link points to), a pipe, a device or a
    // file put there since the name was looked at the user's preview to
    // replace, nor the template or the program itself, when index.htm is,
    // or leads to, one of them.
    earlier = HoldRegularFile(target->path.c_str(), false, &*target->shown);
    if (!earlier || MayBeOneFile(*earlier, source.c_str()) ||
        MayBeOneFile(*earlier, "/proc/self/exe"))
      return WriteStatus::kFailed;
    if (ReadOnly(*earlier)) return WriteStatus::kReadOnly;
  }

  // A file-size limit then makes the write fail instead of ending the run.
  ::signal(SIGXFSZ, SIG_IGN);
  const CaughtEndingSignals caught;
  return WriteNewFile(target->path, earlier ? &*earlier : nullptr, bytes)
             ? WriteStatus::kWritten
             : WriteStatus::kFailed;
}
