// Linux and other POSIX systems: what a new preview takes over from the
// file it replaces, once all its data is on disk.
#pragma once

#include <cstdint>
#include <string>

// Gives the new file `fd` what the user set on `target`, the file it is
// about to replace: its owner and group as far as
// this user may set them, exactly its extended attributes (which carry its
// ACL: what the new file inherited from the folder and `target` lacks is
// removed), and its mode; where the group cannot be kept, no group bits
// beyond those `target` gave others. Until then the new file is its
// owner's alone.
//
// Best effort: what the file system cannot keep (FAT and many network or
// FUSE folders keep no modes, owners or attributes) or this user may not
// set is left as it is, and never costs the preview. Where an attribute
// that may grant access cannot be removed, the mode stays the owner's
// alone, so that the file is never more open than the one it replaces;
// where the ACL cannot be read or set, the group gets what the ACL gave the
// owning group, or nothing.
void TakeOverSettings(int fd, int target);

// The name through which the open file `fd` itself is reached, whatever
// its own name leads to by then.
std::string ProcPath(intptr_t fd);
