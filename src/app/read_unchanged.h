// Reading a whole file again while it changes under the reader, told by
// its size and times; the platforms differ only in how they tell them.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

#include "app/platform.h"

// What tells that a file changed: its size and its times of change.
struct FileStamp {
  uint64_t size = 0;
  std::chrono::system_clock::time_point modified;
  int64_t changed = 0;  // the status change time, where there is one
  bool operator==(const FileStamp&) const = default;
};

// How long a file must have stayed as it is to be taken as saved.
inline constexpr std::chrono::milliseconds kSettleTime{100};

// A file modified within this of now (or stamped later than now, by a
// network folder's clock) may have been written again while it was read
// with its times unchanged: they are kept to the clock's tick, and to two
// seconds on FAT.
inline constexpr std::chrono::seconds kCoarseTimes{2};

// An editor that saves a template in place empties it and writes it anew,
// and a sync client or a second editor may rewrite it at the same size, so
// a read at that moment gets part of one version and part of another.
// Reads the whole file with `read_whole(size)` (from its start, each time)
// until the stamp taken before a read is the same after it. Where the
// times cannot tell a write from none (a file modified a moment ago), the
// file is read again a moment later, once an editor stalled half-way
// through a save would have gone on, and taken only when both reads and
// the stamp agree. Waits a little longer between tries; kFailed when it
// keeps changing or `stamp()` gives nothing.
template <typename Stamp, typename ReadWhole>
ReadResult ReadUnchanged(Stamp stamp, ReadWhole read_whole) {
  constexpr int kTries = 4;
  auto pause = std::chrono::milliseconds(25);  // 50, 100, 200 ms between
  for (int attempt = 0; attempt < kTries; ++attempt, pause *= 2) {
    if (attempt > 0) std::this_thread::sleep_for(pause);
    const std::optional<FileStamp> before = stamp();
    if (!before) break;
    ReadResult read = read_whole(before->size);
    if (read.status != ReadStatus::kRead) return read;
    if (stamp() != before) continue;
    // Compared so that no time, however far from now, can overflow.
    if (before->modified > std::chrono::system_clock::now() - kCoarseTimes) {
      std::this_thread::sleep_for(kSettleTime);
      const ReadResult again = read_whole(before->size);
      if (again.status != ReadStatus::kRead || again.bytes != read.bytes ||
          stamp() != before)
        continue;
    }
    return read;
  }
  return {ReadStatus::kFailed, {}};
}
