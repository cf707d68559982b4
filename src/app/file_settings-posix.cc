#include "app/file_settings-posix.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <string>

namespace {

// The names `list(buffer, size)` gives (listxattr or flistxattr), each
// ended by a NUL; none where the file system keeps no attributes.
template <typename List>
std::set<std::string> AttributeNames(List list) {
  std::string names(static_cast<size_t>(std::max<ssize_t>(list(nullptr, 0), 0)),
                    '\0');
  names.resize(static_cast<size_t>(
      std::max<ssize_t>(list(names.data(), names.size()), 0)));
  std::set<std::string> result;
  for (size_t at = 0; at < names.size();) {
    const size_t end = std::min(names.find('\0', at), names.size());
    if (end > at) result.insert(names.substr(at, end - at));
    at = end + 1;
  }
  return result;
}

// The value of the attribute `name` of the file at `path`, if it has one.
std::optional<std::string> AttributeValue(const char* path, const char* name) {
  const ssize_t length = ::getxattr(path, name, nullptr, 0);
  if (length < 0) return std::nullopt;
  std::string value(static_cast<size_t>(length), '\0');
  const ssize_t got = ::getxattr(path, name, value.data(), value.size());
  if (got < 0) return std::nullopt;
  value.resize(static_cast<size_t>(got));
  return value;
}

// Makes the extended attributes of `fd` exactly those of `target`. False
// when one that may grant access (an ACL: the "system." ones) stays on
// `fd` although `target` lacks it.
bool CopyAttributes(int fd, const char* target) {
  const std::set<std::string> wanted =
      AttributeNames([&](char* names, size_t size) {
        return ::listxattr(target, names, size);
      });
  const std::set<std::string> inherited = AttributeNames(
      [&](char* names, size_t size) { return ::flistxattr(fd, names, size); });
  bool closed = true;
  for (const std::string& name : inherited)
    if (!wanted.contains(name) && ::fremovexattr(fd, name.c_str()) != 0 &&
        errno != ENODATA && name.starts_with("system."))
      closed = false;
  for (const std::string& name : wanted)
    if (const auto value = AttributeValue(target, name.c_str()))
      (void)::fsetxattr(fd, name.c_str(), value->data(), value->size(), 0);
  return closed;
}

}  // namespace

void TakeOverSettings(int fd, const HeldFile& held) {
  const struct stat& earlier = held.info;
  if (::fchown(fd, earlier.st_uid, earlier.st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), earlier.st_gid);
  mode_t mode = earlier.st_mode & 07777;
  // Where the group cannot be kept, the one the file has (this user's, a
  // group many may share) gets no more than others had.
  struct stat made;
  if (::fstat(fd, &made) != 0 || made.st_gid != earlier.st_gid)
    mode = (mode & ~070) | (mode & ((mode & 07) << 3));
  // The mode last: a change of owner clears the set-id bits, and the mode's
  // group bits become the mask of the ACL just copied.
  if (CopyAttributes(fd, held.Path().c_str())) (void)::fchmod(fd, mode);
}
