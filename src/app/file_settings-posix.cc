#include "app/file_settings-posix.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace {

// The NUL-ended names `list(buffer, size)` (listxattr, flistxattr) gives;
// nullopt where the file system tells none.
template <typename List>
std::optional<std::set<std::string>> AttributeNames(List list) {
  const ssize_t size = list(nullptr, 0);
  if (size < 0) return std::nullopt;
  std::string names(static_cast<size_t>(size), '\0');
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

std::optional<std::string> AttributeValue(const char* path, const char* name) {
  const ssize_t length = ::getxattr(path, name, nullptr, 0);
  if (length < 0) return std::nullopt;
  std::string value(static_cast<size_t>(length), '\0');
  const ssize_t got = ::getxattr(path, name, value.data(), value.size());
  if (got < 0) return std::nullopt;
  value.resize(static_cast<size_t>(got));
  return value;
}

constexpr char kAcl[] = "system.posix_acl_access";

// The group bits the ACL `acl` (as the kernel keeps it: a 4-byte version,
// then 8-byte entries of tag, permissions and id) gives the owning group (tag
// 0x04); none when it names none.
mode_t OwningGroupBits(std::string_view acl) {
  for (size_t at = 4; at + 8 <= acl.size(); at += 8)
    if (acl[at] == 0x04 && acl[at + 1] == 0)
      return static_cast<mode_t>((acl[at + 2] & 07) << 3);
  return 0;
}

// Makes the extended attributes of `fd` exactly those of `target`, and gives
// the group bits the mode may keep: all where they were copied; where the ACL
// could not be read or set, those it gave the owning group (the mode shows
// its mask, often wider), none where that cannot be told. nullopt where one
// that may grant access (the "system." ones, an ACL) stays on `fd` although
// `target` lacks it: the mode then stays the owner's alone.
std::optional<mode_t> CopyAttributes(int fd, const char* target) {
  const auto wanted = AttributeNames([&](char* names, size_t size) {
    return ::listxattr(target, names, size);
  });
  const auto inherited = AttributeNames(
      [&](char* names, size_t size) { return ::flistxattr(fd, names, size); });
  for (const std::string& name : inherited.value_or(std::set<std::string>()))
    if ((!wanted || !wanted->contains(name)) &&
        ::fremovexattr(fd, name.c_str()) != 0 && errno != ENODATA &&
        name.starts_with("system."))
      return std::nullopt;
  if (!wanted) return 0;
  mode_t group = 070;
  for (const std::string& name : *wanted) {
    const auto value = AttributeValue(target, name.c_str());
    if (value &&
        ::fsetxattr(fd, name.c_str(), value->data(), value->size(), 0) == 0)
      continue;
    if (name == kAcl) group = value ? OwningGroupBits(*value) : 0;
  }
  return group;
}

}  // namespace

void TakeOverSettings(int fd, int target) {
  struct stat earlier;
  if (::fstat(target, &earlier) != 0) return;
  if (::fchown(fd, earlier.st_uid, earlier.st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), earlier.st_gid);
  mode_t mode = earlier.st_mode & 07777;
  // Where the group cannot be kept, the one the file has (this user's, which
  // many may share) gets no more than others had.
  struct stat made;
  if (::fstat(fd, &made) != 0 || made.st_gid != earlier.st_gid)
    mode = (mode & ~070) | (mode & ((mode & 07) << 3));
  // The mode last: a change of owner clears the set-id bits, and the mode's
  // group bits become the mask of the ACL just copied.
  if (const auto group = CopyAttributes(fd, ProcPath(target).c_str()))
    (void)::fchmod(fd, mode & (~mode_t{070} | *group));
}
