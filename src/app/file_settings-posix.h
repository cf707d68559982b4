// Linux: what a new preview takes over from the file it replaces.
#pragma once

#include <cstdint>
#include <string>

// Gives the new file `fd`, its owner's alone until now, what the user set on
// `target`, the file it replaces: its owner and group as far as this user may
// set them, exactly its extended attributes (which carry its ACL: what the
// new file inherited from the folder and `target` lacks is removed), and its
// mode. Best effort: what the file system cannot keep (FAT and many network
// or FUSE folders keep no modes, owners or attributes) or this user may not
// set is left out and never costs the preview, but the file is never made
// more open than `target`.
void TakeOverSettings(int fd, int target);

// The name through which the open file `fd` itself is reached, whatever its
// own name leads to by then.
inline std::string ProcPath(intptr_t fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}
