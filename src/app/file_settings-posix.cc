#include "app/file_settings-posix.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// The names `list(buffer, size)` gives (llistxattr or flistxattr), each
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
  const ssize_t length = ::lgetxattr(path, name, nullptr, 0);
  if (length < 0) return std::nullopt;
  std::string value(static_cast<size_t>(length), '\0');
  const ssize_t got = ::lgetxattr(path, name, value.data(), value.size());
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
        return ::llistxattr(target, names, size);
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

// The access ACL of a file created with `mode` in a folder whose default
// ACL is `acl`, both as the kernel keeps them: a 4-byte version, then
// entries of a 16-bit tag, 16-bit permissions and a 32-bit id, all
// little-endian. The owner's, the mask's (without a mask, the group's) and
// others' permissions are cut to those `mode` gives; named users and groups
// keep theirs, under the mask.
std::string InheritedAcl(std::string acl, mode_t mode) {
  constexpr unsigned kOwner = 0x01, kGroup = 0x04, kMask = 0x10, kOthers = 0x20;
  const auto tag = [&acl](size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(acl[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(acl[at + 1])) << 8;
  };
  bool masked = false;
  for (size_t at = 4; at + 8 <= acl.size(); at += 8) masked |= tag(at) == kMask;
  for (size_t at = 4; at + 8 <= acl.size(); at += 8) {
    unsigned allowed = 7;
    if (tag(at) == kOwner) allowed = mode >> 6 & 7;
    if (tag(at) == kMask || (tag(at) == kGroup && !masked))
      allowed = mode >> 3 & 7;
    if (tag(at) == kOthers) allowed = mode & 7;
    acl[at + 2] = static_cast<char>(acl[at + 2] & allowed);
  }
  return acl;
}

// What the folder of `target` gives any new file, as if created with the
// usual 0666: its default ACL, where it has one (the umask then does not
// apply), or 0666 less the umask.
void GiveFolderSettings(int fd, const fs::path& target) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
  if (const auto acl =
          AttributeValue(folder.c_str(), "system.posix_acl_default")) {
    const std::string inherited = InheritedAcl(*acl, 0666);
    (void)::fsetxattr(fd, "system.posix_acl_access", inherited.data(),
                      inherited.size(), 0);
    return;
  }
  const mode_t umask = ::umask(0);
  ::umask(umask);
  (void)::fchmod(fd, 0666 & ~umask);
}

}  // namespace

void TakeOverSettings(int fd, const fs::path& target,
                      const struct stat* earlier) {
  if (!earlier) return GiveFolderSettings(fd, target);
  if (::fchown(fd, earlier->st_uid, earlier->st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), earlier->st_gid);
  // The mode last: a change of owner clears the set-id bits, and the mode's
  // group bits become the mask of the ACL just copied.
  if (CopyAttributes(fd, target.c_str()))
    (void)::fchmod(fd, earlier->st_mode & 07777);
}
