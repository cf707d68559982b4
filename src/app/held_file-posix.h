// Linux: a name in the user's folder, held once by a handle that opens no
// file (O_PATH), so that a pipe, a device or another user's lease cannot
// stall the run, and asked through that handle what it is. Whatever the run
// then wants of the file (its bytes, its settings, whether this user may
// write it) goes to the file held, through /proc/self/fd, never to what the
// name leads to by then: another user may swap the name at any moment.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <utility>

// An open file descriptor, closed with its owner.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~FileDescriptor();
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ != -1; }

 private:
  int fd_;
};

struct HeldFile {
  FileDescriptor handle;  // O_PATH: it reads and writes nothing itself
  struct stat info;       // as the handle shows it

  // The name through which the held file itself is reached.
  std::string Path() const;
  // The held file opened anew with `flags` (O_RDONLY, O_WRONLY), without
  // blocking: a lease makes it fail (EWOULDBLOCK) instead of waiting.
  FileDescriptor Reopen(int flags) const;
};

// Holds the file named `path`, its last link followed only when `follow`.
// nullopt (errno telling why; 0 when it was something else) when it cannot
// be held or is not a regular file, or, given `shown`, is not the file (the
// same device and inode) the name showed then.
std::optional<HeldFile> HoldRegularFile(const char* path, bool follow,
                                        const struct stat* shown = nullptr);
