// Linux and other POSIX systems: the program's folder, and reading the
// template.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/bounded_read.h"
#include "app/held_file-posix.h"
#include "app/platform.h"
#include "app/retry_eintr-posix.h"

namespace {

std::chrono::system_clock::time_point TimeOf(const timespec& time) {
  return ClockTime(std::chrono::seconds(time.tv_sec),
                   std::chrono::nanoseconds(time.tv_nsec));
}

std::optional<FileStamp> StampOf(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_size), TimeOf(info.st_mtim),
                   TimeOf(info.st_ctim).time_since_epoch().count()};
}

ReadResult ReadOpenFile(int fd, size_t max_bytes) {
  const auto read_some = [fd](char* where, size_t room) {
    return RetryOnInterrupt([&] { return ::read(fd, where, room); });
  };
  return ReadUnchanged([fd] { return StampOf(fd); },
                       [&](uint64_t size) -> ReadResult {
                         if (::lseek(fd, 0, SEEK_SET) != 0)
                           return {ReadStatus::kFailed, {}};
                         return ReadBounded(size, max_bytes, read_some);
                       });
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
  // Held first and checked through the handle: a pipe or a device put in the
  // file's place must neither stall the run nor be read.
  const std::optional<HeldFile> held = HoldRegularFile(path.c_str(), true);
  if (!held) {
    const bool gone = errno == 0 || errno == ENOENT || errno == ENOTDIR;
    return {gone ? ReadStatus::kNotFound : ReadStatus::kFailed, {}};
  }
  const FileDescriptor file = held->Reopen(O_RDONLY);
  if (!file) return {ReadStatus::kFailed, {}};
  return ReadOpenFile(file.get(), max_bytes);
}
