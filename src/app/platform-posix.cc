// Linux and other POSIX systems: the program's folder and its files.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "app/bounded_read.h"
#include "app/platform.h"

namespace {

// Retries calls that a signal interrupted.
template <typename Call>
auto Retry(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n =
        Retry([&] { return ::write(fd, bytes.data(), bytes.size()); });
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

ReadResult ReadOpenFile(int fd, size_t max_bytes) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return {ReadStatus::kFailed, {}};
  if (!S_ISREG(info.st_mode)) return {ReadStatus::kNotFound, {}};
  return ReadBounded(static_cast<uint64_t>(info.st_size), max_bytes,
                     [fd](char* where, size_t room) {
                       return Retry([&] { return ::read(fd, where, room); });
                     });
}

// The temporary file being written, for RemoveTemporaryAndDie; null while
// there is none. A lock-free atomic is what a signal handler may read.
std::atomic<const char*> g_temporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporaryAndDie(int signal) {
  if (const char* temporary = g_temporary.load()) ::unlink(temporary);
  // Ends the program by the same signal, as if it had never been caught.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// While a temporary file exists, the signals that ask a program to end
// remove it first. Signals that were being ignored stay ignored.
void CatchEndingSignals(struct sigaction (&earlier)[3]) {
  struct sigaction remove = {};
  remove.sa_handler = RemoveTemporaryAndDie;
  sigemptyset(&remove.sa_mask);
  for (int i = 0; i < 3; ++i) {
    ::sigaction(kEndingSignals[i], nullptr, &earlier[i]);
    if (earlier[i].sa_handler != SIG_IGN)
      ::sigaction(kEndingSignals[i], &remove, nullptr);
  }
}

void RestoreEndingSignals(const struct sigaction (&earlier)[3]) {
  for (int i = 0; i < 3; ++i) ::sigaction(kEndingSignals[i], &earlier[i], nullptr);
}

// Blocks the ending signals while it lives, so that creating a file and
// naming it in g_temporary happen as one step for the handler.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld() {
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : kEndingSignals) sigaddset(&ending, signal);
    ::sigprocmask(SIG_BLOCK, &ending, &earlier_);
  }
  ~EndingSignalsHeld() { ::sigprocmask(SIG_SETMASK, &earlier_, nullptr); }

 private:
  sigset_t earlier_;
};

// Creates a file of our own beside `path`, exclusively so that no other
// file (nor one a link at the name points to) is ever overwritten, and
// names it in g_temporary. g_temporary names only a file this run created:
// a signal between a failed attempt and the next must not remove a file of
// someone else's that took the name.
int CreateTemporaryBeside(const std::filesystem::path& path, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path.string() + ".";
    temp += std::to_string(::getpid());
    temp += "-";
    temp += std::to_string(attempt);
    temp += ".tmp";
    const EndingSignalsHeld held;
    const int fd = Retry([&] {
      return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    });
    if (fd != -1) g_temporary = temp.c_str();
    if (fd != -1 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::optional<std::filesystem::path> ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program =
      std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || program.empty()) return std::nullopt;
  return program.parent_path();
}

bool FileExists(const std::filesystem::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes) {
  // Without blocking: a pipe put in the file's place must not stall the run.
  const int fd = Retry([&] {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  });
  if (fd == -1) {
    const bool gone = errno == ENOENT || errno == ENOTDIR;
    return {gone ? ReadStatus::kNotFound : ReadStatus::kFailed, {}};
  }
  ReadResult result = ReadOpenFile(fd, max_bytes);
  ::close(fd);
  return result;
}

WriteStatus ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes) {
  // The new file takes the earlier one's permissions; a read-only earlier
  // file is the user's way of keeping it.
  struct stat earlier;
  const bool replaces =
      ::stat(path.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode);
  if (replaces && (earlier.st_mode & S_IWUSR) == 0) return WriteStatus::kReadOnly;

  // A file-size limit then makes the write fail instead of ending the run.
  ::signal(SIGXFSZ, SIG_IGN);
  struct sigaction signals[3];
  CatchEndingSignals(signals);
  std::string temp;
  const int fd = CreateTemporaryBeside(path, temp);
  bool ok = fd != -1;
  if (ok) {
    ok = (!replaces || ::fchmod(fd, earlier.st_mode & 0777) == 0) &&
         WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    const EndingSignalsHeld held;
    // The rename makes the switch atomic: a reader sees either file whole.
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    g_temporary = nullptr;
  }
  RestoreEndingSignals(signals);
  return ok ? WriteStatus::kWritten : WriteStatus::kFailed;
}
