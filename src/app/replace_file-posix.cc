// Linux and other POSIX systems: putting a new preview in the place of
// index.htm, whole or not at all, with what the user set on the earlier one
// (docs/DEVELOPING.md, "Writing").

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "app/ending_signals-posix.h"
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

// Where a preview written to `path` goes: through symbolic links to the
// file they end at, which need not exist yet, so that a link named
// index.htm (into a web folder, say) stays a link. nullopt for a loop.
std::optional<fs::path> FollowLinks(fs::path path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
      return path;
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    path = path.parent_path() / target;  // an absolute target replaces it all
  }
  return std::nullopt;
}

// True when the temporary file `file` was left by a process of this user
// that no longer runs.
bool LeftByEndedRun(const fs::path& file, uint32_t process) {
  struct stat info;
  return process <= uint32_t{INT32_MAX} &&
         ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH &&
         ::lstat(file.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

// Gives the new file what the user set on the earlier one: its owner and
// group as far as this user may set them, its mode, and its extended
// attributes, which carry its ACL. Without an earlier file it gets what any
// new file gets: 0666 less the umask. Until then only its owner may read it.
bool TakeOverSettings(int fd, const fs::path& target,
                      const struct stat* earlier) {
  if (!earlier) {
    const mode_t umask = ::umask(0);
    ::umask(umask);
    return ::fchmod(fd, 0666 & ~umask) == 0;
  }
  if (::fchown(fd, earlier->st_uid, earlier->st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), earlier->st_gid);
  if (::fchmod(fd, earlier->st_mode & 07777) != 0) return false;
  // What this file system or user cannot set (or what changes meanwhile) is
  // left unset rather than costing the preview.
  std::string names(
      std::max<ssize_t>(::llistxattr(target.c_str(), nullptr, 0), 0), '\0');
  names.resize(std::max<ssize_t>(
      ::llistxattr(target.c_str(), names.data(), names.size()), 0));
  for (size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const char* name = names.c_str() + at;
    const ssize_t length = ::lgetxattr(target.c_str(), name, nullptr, 0);
    if (length < 0) continue;
    std::string value(static_cast<size_t>(length), '\0');
    const ssize_t got =
        ::lgetxattr(target.c_str(), name, value.data(), value.size());
    if (got >= 0) (void)::fsetxattr(fd, name, value.data(), got, 0);
  }
  return true;
}

// Gives a new file a temporary name beside `target`, exclusively: a name
// already taken (by a link planted there, too) is passed over, never
// written through. With `fd` open, links that unnamed file; with -1,
// creates an empty one and opens it in `fd`.
bool NameTemporary(const fs::path& target, int& fd, std::string& name) {
  const std::string proc_path = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name = TemporaryPath(target, static_cast<uint32_t>(::getpid()), attempt);
    const HeldEndingSignals held;
    const bool named =
        fd == -1
            ? (fd = RetryOnInterrupt([&] {
                 return ::open(name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
               })) != -1
            : ::linkat(AT_FDCWD, proc_path.c_str(), AT_FDCWD, name.c_str(),
                       AT_SYMLINK_FOLLOW) == 0;
    if (named) {
      SetTemporaryFile(name.c_str());
      return true;
    }
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

// Writes `bytes` to a new file in the folder of `target`, with the earlier
// file's settings, and makes it `target`.
bool WriteNewFile(const fs::path& target, const struct stat* earlier,
                  std::string_view bytes) {
  int fd = -1;
  std::string name;  // empty while the file has none
#ifdef O_TMPFILE
  fd = RetryOnInterrupt([&] {
    return ::open(target.parent_path().c_str(),
                  O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  });
#endif
  const bool unnamed = fd != -1;
  if (!unnamed && !NameTemporary(target, fd, name)) return false;

  // The data is on disk before it has the name: a crash after the rename
  // must not leave index.htm empty or cut short.
  bool ok = TakeOverSettings(fd, target, earlier) && WriteAll(fd, bytes) &&
            ::fsync(fd) == 0;
  if (ok && unnamed) ok = NameTemporary(target, fd, name);
  ok = ::close(fd) == 0 && ok;
  if (name.empty()) return false;
  const HeldEndingSignals held;
  // The rename makes the switch atomic: a reader sees either file whole.
  ok = ok && ::rename(name.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(name.c_str());
  SetTemporaryFile(nullptr);
  return ok;
}

}  // namespace

WriteStatus ReplaceFileContents(const fs::path& path, std::string_view bytes) {
  const std::optional<fs::path> target = FollowLinks(path);
  if (!target) return WriteStatus::kFailed;
  // A read-only earlier file is the user's way of keeping it.
  struct stat earlier;
  const bool replaces = ::stat(target->c_str(), &earlier) == 0;
  // Nor is a folder of that name (or one a link points to) the user's
  // preview to replace.
  if (replaces && !S_ISREG(earlier.st_mode)) return WriteStatus::kFailed;
  if (replaces && (earlier.st_mode & S_IWUSR) == 0)
    return WriteStatus::kReadOnly;

  RemoveStaleTemporaries(*target, LeftByEndedRun);
  // A file-size limit then makes the write fail instead of ending the run.
  ::signal(SIGXFSZ, SIG_IGN);
  const CaughtEndingSignals caught;
  return WriteNewFile(*target, replaces ? &earlier : nullptr, bytes)
             ? WriteStatus::kWritten
             : WriteStatus::kFailed;
}
