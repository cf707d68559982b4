// Linux: the file handles. A file of the user's folder is held by a handle
// that opens no file (O_PATH), which no pipe, device or lease can stall, and
// what the run wants of it goes to the file held, through /proc/self/fd,
// never to what its name leads to by then: another user may swap the name.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "app/clock_time.h"
#include "app/ending_signals-posix.h"
#include "app/file_handles.h"
#include "app/file_settings-posix.h"

namespace fs = std::filesystem;

namespace {

// Calls `call` again for as long as a signal interrupts it (EINTR).
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// The held file `fd` opened anew with `flags`, without blocking: a lease
// makes it fail (EWOULDBLOCK) instead of waiting for its holder.
int Reopen(intptr_t fd, int flags) {
  return RetryOnInterrupt([&] {
    return ::open(ProcPath(fd).c_str(),
                  flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  });
}

struct stat Info(intptr_t fd) {
  struct stat info = {};
  (void)::fstat(static_cast<int>(fd), &info);
  return info;
}

// True when `name` still leads to the file `fd`, not to one put there since.
bool StillNamed(intptr_t fd, const char* name) {
  struct stat named;
  const struct stat held = Info(fd);
  return ::lstat(name, &named) == 0 && named.st_dev == held.st_dev &&
         named.st_ino == held.st_ino;
}

std::chrono::system_clock::time_point TimeOf(const timespec& time) {
  return ClockTime(std::chrono::seconds(time.tv_sec),
                   std::chrono::nanoseconds(time.tv_nsec));
}

// Locks the new file `fd` while it is open (see RemoveIfAbandoned); where
// the file system has no locks, no leftover is taken for abandoned.
void HoldAsOurs(int fd) { (void)::flock(fd, LOCK_EX | LOCK_NB); }

}  // namespace

int LastError() { return errno; }
bool IsNoSuchFile(int error) { return error == ENOENT || error == ENOTDIR; }
bool IsHeldByAnother(int) { return false; }
uint32_t ProcessId() { return static_cast<uint32_t>(::getpid()); }
std::optional<fs::path> ProgramFile() { return fs::path("/proc/self/exe"); }

// Through symbolic links to the file they end at, which need not exist yet,
// so that a link named index.htm (into a web folder, say) stays a link. Not
// through a loop, nor a link the kernel's rule (fs.protected_symlinks, kept
// whatever that setting) would not follow: in a sticky folder open to all,
// one owned by neither this user nor the folder's owner.
std::optional<fs::path> WhereToWrite(const fs::path& start) {
  constexpr mode_t kOpenSticky = S_ISVTX | S_IWOTH;
  fs::path path = start;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info, folder;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
      return path;
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

std::optional<UserFile> UserFile::Open(const fs::path& path, bool follow_link) {
  const int fd = RetryOnInterrupt([&] {
    return ::open(path.c_str(),
                  O_PATH | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW));
  });
  if (fd == -1) return std::nullopt;
  UserFile file(fd, path);
  const bool regular = S_ISREG(Info(fd).st_mode) &&
                       (follow_link || StillNamed(fd, path.c_str()));
  errno = 0;
  if (!regular) return std::nullopt;
  return file;
}

UserFile::~UserFile() {
  for (const intptr_t fd : {reading_, handle_})
    if (fd != -1) ::close(static_cast<int>(fd));
}

bool UserFile::IsSameFile(const UserFile& other) const {
  const struct stat a = Info(handle_), b = Info(other.handle_);
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::optional<FileStamp> UserFile::Stamp() const {
  struct stat info;
  if (::fstat(static_cast<int>(handle_), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_size), TimeOf(info.st_mtim),
                   TimeOf(info.st_ctim).time_since_epoch().count()};
}

bool UserFile::ReadOnly() const {
  return (Info(handle_).st_mode & S_IWUSR) == 0 ||
         (::faccessat(AT_FDCWD, ProcPath(handle_).c_str(), W_OK, AT_EACCESS) !=
              0 &&
          errno == EACCES);
}

bool UserFile::Rewind() {
  if (reading_ == -1) reading_ = Reopen(handle_, O_RDONLY);
  return reading_ != -1 &&
         ::lseek(static_cast<int>(reading_), 0, SEEK_SET) == 0;
}

int64_t UserFile::ReadSome(char* where, size_t room) {
  return RetryOnInterrupt(
      [&] { return ::read(static_cast<int>(reading_), where, room); });
}

NewFile::NewFile(bool replaces) : replaces_(replaces) {
  // A file-size limit then makes the write fail instead of ending the run.
  ::signal(SIGXFSZ, SIG_IGN);
  CatchEndingSignals();
}

NewFile::~NewFile() {
  if (Named() && !placed_) {
    const HeldEndingSignals held;
    ::unlink(name_.c_str());
    SetTemporaryFile(nullptr);
  }
  // Only now, so that the lock lasts as long as the temporary name.
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

// With no earlier file, made as any new file is: 0666 less the umask.
bool NewFile::CreateUnnamed(const fs::path& target) {
  handle_ = RetryOnInterrupt([&] {
    return ::open(target.parent_path().c_str(),
                  O_TMPFILE | O_WRONLY | O_CLOEXEC, replaces_ ? 0600 : 0666);
  });
  if (handle_ != -1) HoldAsOurs(static_cast<int>(handle_));
  return handle_ != -1;
}

NewFile::Naming NewFile::TryName(const fs::path& name) {
  const HeldEndingSignals held;  // named and known to the handler as one
  const auto failed = [] {
    return errno == EEXIST ? Naming::kTaken : Naming::kFailed;
  };
  if (handle_ != -1) {
    if (::linkat(AT_FDCWD, ProcPath(handle_).c_str(), AT_FDCWD, name.c_str(),
                 AT_SYMLINK_FOLLOW) != 0)
      return failed();
  } else {
    const int fd = RetryOnInterrupt([&] {
      return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    replaces_ ? 0600 : 0666);
    });
    if (fd == -1) return failed();
    HoldAsOurs(fd);
    // A run cleaning up took it for abandoned before it was locked, and
    // removed it: the name is another's now.
    if (!StillNamed(fd, name.c_str())) {
      ::close(fd);
      return Naming::kTaken;
    }
    handle_ = fd;
  }
  name_ = name;
  SetTemporaryFile(name_.c_str());
  return Naming::kNamed;
}

// A run's lock on its file ends with the process, in whatever namespace or
// (where the file system shares locks, as NFS does) on whatever machine it
// ran: what can be locked now is abandoned. This user could have made a file
// of the owner its own new file shows (one for all on FAT and some FUSE
// folders); root, whose runs give files the earlier one's owner, any.
bool NewFile::RemoveIfAbandoned(const fs::path& file) const {
  const std::optional<UserFile> left = UserFile::Open(file, false);
  if (!left ||
      (Info(left->Native()).st_uid != Info(handle_).st_uid && ::geteuid() != 0))
    return false;
  // For writing, as NFS locks a file exclusively only then (a leftover
  // of mode 0200 cannot be read), and still of that name once locked.
  const int fd = Reopen(left->Native(), O_WRONLY);
  const bool abandoned = fd != -1 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         StillNamed(fd, file.c_str()) &&
                         ::unlink(file.c_str()) == 0;
  if (fd != -1) ::close(fd);
  return abandoned;
}

int64_t NewFile::WriteSome(const char* bytes, size_t size) {
  return RetryOnInterrupt(
      [&] { return ::write(static_cast<int>(handle_), bytes, size); });
}

bool NewFile::Flush() { return ::fsync(static_cast<int>(handle_)) == 0; }

void NewFile::TakeOverSettings(const UserFile& earlier) {
  ::TakeOverSettings(static_cast<int>(handle_),
                     static_cast<int>(earlier.Native()));
}

bool NewFile::PutInPlace(const fs::path& target) {
  const HeldEndingSignals held;
  placed_ = ::rename(name_.c_str(), target.c_str()) == 0;
  if (placed_) SetTemporaryFile(nullptr);
  return placed_;
}
