// Reading a whole file with a bound on its size, and again while it changes
// under the reader, and telling two files' bytes apart without holding
// either whole; shared by the platform layers, which differ only in how
// they read a piece and how they tell a file's size and time.
#pragma once

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "app/platform.h"

// Reads a file the system says has `size` bytes through `read_some(where,
// room)`, which gives how many bytes it read, 0 at the end, or less than 0
// on failure. Room is made for one byte more than `size`, so that a file
// still growing (or one that, like those in /proc, tells no size) is seen to
// go on; more than `max_bytes` bytes make it kTooLarge, and no more than
// `max_bytes` + 1 are ever read.
template <typename ReadSome>
ReadResult ReadBounded(uint64_t size, size_t max_bytes, ReadSome read_some) {
  if (size > max_bytes) return {ReadStatus::kTooLarge, {}};
  ReadResult result{ReadStatus::kRead, {}};
  std::string& bytes = result.bytes;
  bytes.resize(static_cast<size_t>(size) + 1);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (got > max_bytes) return {ReadStatus::kTooLarge, {}};
      bytes.resize(std::min(max_bytes + 1, std::max(got * 2, size_t{1} << 16)));
    }
    const auto n = read_some(bytes.data() + got, bytes.size() - got);
    if (n < 0) return {ReadStatus::kFailed, {}};
    if (n == 0) break;
    got += static_cast<size_t>(n);
    // Never asked for more room than there is: what was read fits, and the
    // read stops within one byte past the limit.
    assert(got <= bytes.size() && got <= max_bytes + 1);
  }
  bytes.resize(got);
  return result;
}

// What tells that a file changed: its size and its times of change.
struct FileStamp {
  uint64_t size = 0;
  std::chrono::system_clock::time_point modified;
  int64_t changed = 0;  // the status change time, where there is one
  bool operator==(const FileStamp&) const = default;
};

// A file time, `whole` and `part` after 1970, as the system clock's; one it
// cannot hold (past 2262) as its latest: "modified a moment ago".
template <typename Whole>
std::chrono::system_clock::time_point ClockTime(
    Whole whole, std::chrono::nanoseconds part = {}) {
  using Clock = std::chrono::system_clock;
  constexpr Whole kMost =
      std::chrono::duration_cast<Whole>(Clock::duration::max()) - Whole(1);
  if (whole < -kMost || whole > kMost) return Clock::time_point::max();
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(whole) +
                           std::chrono::duration_cast<Clock::duration>(part));
}

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

// Fills `piece` through `read_some` (as for ReadBounded) unless the file
// ends first; how much it holds, or -1 when a read failed.
template <typename ReadSome>
int64_t ReadPiece(ReadSome& read_some, std::string& piece) {
  size_t got = 0;
  while (got < piece.size()) {
    const auto n = read_some(piece.data() + got, piece.size() - got);
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(got);
}

// False when the files `read_a` and `read_b` read from their starts are
// seen to hold different bytes, read a piece at a time so that neither is
// held whole; true when they cannot be read to tell.
template <typename ReadA, typename ReadB>
bool MayHoldTheSameBytes(ReadA read_a, ReadB read_b) {
  std::string p(size_t{1} << 16, '\0'), q(p);
  for (;;) {
    const int64_t m = ReadPiece(read_a, p), n = ReadPiece(read_b, q);
    if (m < 0 || n < 0) return true;
    if (std::string_view(p.data(), static_cast<size_t>(m)) !=
        std::string_view(q.data(), static_cast<size_t>(n)))
      return false;
    if (m == 0) return true;
  }
}
