#include "app/held_file-posix.h"

#include <fcntl.h>
#include <unistd.h>

#include "app/retry_eintr-posix.h"

FileDescriptor::~FileDescriptor() {
  if (fd_ != -1) ::close(fd_);
}

std::string HeldFile::Path() const {
  return "/proc/self/fd/" + std::to_string(handle.get());
}

FileDescriptor HeldFile::Reopen(int flags) const {
  return FileDescriptor(RetryOnInterrupt([&] {
    return ::open(Path().c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  }));
}

std::optional<HeldFile> HoldRegularFile(const char* path, bool follow,
                                        const struct stat* shown) {
  HeldFile held{FileDescriptor(RetryOnInterrupt([&] {
                  return ::open(path, O_PATH | O_CLOEXEC |
                                          (follow ? 0 : O_NOFOLLOW));
                })),
                {}};
  if (!held.handle || ::fstat(held.handle.get(), &held.info) != 0)
    return std::nullopt;
  errno = 0;
  if (!S_ISREG(held.info.st_mode) ||
      (shown && (shown->st_dev != held.info.st_dev ||
                 shown->st_ino != held.info.st_ino)))
    return std::nullopt;
  return held;
}
