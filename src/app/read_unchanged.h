// Reading a whole file again while it changes, told by its size and times.
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

// Times are kept to the clock's tick (two seconds on FAT): a file modified
// within this of now, or stamped later (by a network folder's clock), may
// have been written again while it was read with its times unchanged.
inline constexpr std::chrono::seconds kCoarseTimes{2};

// An editor saving in place empties the file and writes it anew, and a sync
// client or a second editor may rewrite it at the same size: a read then
// gets parts of two versions. Reads the whole file with `read_whole(size)`
// (from its start) until the stamp before a read is the same after it. A
// file modified a moment ago, whose times cannot tell a write from none, is
// read again once an editor stalled mid-save would have gone on, and taken
// only when both reads and the stamp agree. kFailed when it keeps changing
// or `stamp()` gives nothing.
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
