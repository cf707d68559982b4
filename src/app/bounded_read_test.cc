#include "app/bounded_read.h"
#include "app/clock_time.h"
#include "app/read_unchanged.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A file whose content is `content` but whose size the system tells as
// `told`, read at most `piece` bytes at a time; fails after `fail_after`
// bytes if that is given.
struct FakeFile {
  std::string content;
  size_t piece = 7;
  size_t fail_after = std::string::npos;
  size_t at = 0;
  size_t read = 0;  // how much was asked of it in all

  long operator()(char* where, size_t room) {
    if (at >= fail_after) return -1;
    const size_t n = std::min({room, piece, content.size() - at});
    std::memcpy(where, content.data() + at, n);
    at += n;
    read += n;
    return static_cast<long>(n);
  }
};

ReadResult Read(FakeFile& file, uint64_t told, size_t max_bytes) {
  return ReadBounded(told, max_bytes, [&file](char* where, size_t room) {
    return file(where, room);
  });
}

}  // namespace

TEST(ReadBoundedTest, ReadsEveryByteUpToTheLimit) {
  FakeFile file{"0123456789"};
  const ReadResult read = Read(file, 10, 10);
  EXPECT_EQ(read.status, ReadStatus::kRead);
  EXPECT_EQ(read.bytes, "0123456789");
  FakeFile empty{""};
  EXPECT_EQ(Read(empty, 0, 10).bytes, "");
}

TEST(ReadBoundedTest, AFileOverTheLimitIsNotReadWhole) {
  FakeFile told_large{"0123456789"};
  EXPECT_EQ(Read(told_large, 11, 10).status, ReadStatus::kTooLarge);
  EXPECT_EQ(told_large.read, 0u) << "refused by the size alone";

  // Grown since its size was taken, or telling none: reading stops one
  // byte past the limit, however much more there is.
  FakeFile growing{std::string(100000, 'x')};
  EXPECT_EQ(Read(growing, 5, 1000).status, ReadStatus::kTooLarge);
  EXPECT_EQ(growing.read, 1001u);
  FakeFile grown_within{std::string(900, 'x')};
  const ReadResult within = Read(grown_within, 0, 1000);
  EXPECT_EQ(within.status, ReadStatus::kRead);
  EXPECT_EQ(within.bytes.size(), 900u);
}

TEST(ReadBoundedTest, AFailedReadFailsTheWhole) {
  FakeFile file{"0123456789"};
  file.fail_after = 7;
  const ReadResult read = Read(file, 10, 100);
  EXPECT_EQ(read.status, ReadStatus::kFailed);
  EXPECT_EQ(read.bytes, "");
}

TEST(ReadUnchangedTest, AFileThatChangedWhileReadIsReadAgain) {
  // Each case: the stamps the file shows, one per look, and what each read
  // gets. The whole template must come out, never a part of it.
  using std::chrono::system_clock;
  using std::chrono::milliseconds;
  // A version's time of change is its age when first looked at, where it is
  // a moment ago, so that it is one however long the cases before took;
  // long ago and the earliest time stand as they are.
  struct Version {
    uint64_t size;
    std::optional<milliseconds> age;
    system_clock::time_point modified;
    int64_t changed;
  };
  const system_clock::time_point long_ago{};
  const Version saving{4, {}, long_ago, 1}, saved{9, {}, long_ago, 2};
  const Version stalled{4, milliseconds(0), {}, 1};
  const Version same_size{9, milliseconds(0), {}, 2};
  // FAT keeps times to two seconds: 1.5 s ago may be a moment ago.
  const Version recent{9, milliseconds(1500), {}, 2};
  const Version earliest{9, {}, system_clock::time_point::min(), 2};
  struct Case {
    std::vector<const Version*> stamps;
    std::vector<std::string> reads;
  };
  const Case cases[] = {
      // The first read overlaps an editor's save: the stamps before it and
      // after it differ. The second finds it settled.
      {{&saving, &saved, &saved, &saved}, {"part", "the whole"}},
      // It looks unchanged over the read, but was modified a moment ago
      // and is not the same a moment later: an editor stalled.
      {{&stalled, &stalled, &saved, &saved, &saved},
       {"part", "part", "the whole"}},
      // Rewritten at the same size within one tick of the clock: no stamp
      // tells, the contents do.
      {{&same_size, &same_size, &same_size, &same_size, &same_size,
        &same_size},
       {"mixed 1+2", "the whole", "the whole", "the whole"}},
      {{&recent, &recent, &recent}, {"the whole", "the whole"}},
      // However far from now, a time is compared without overflow.
      {{&earliest, &earliest}, {"the whole"}},
  };
  for (const Case& c : cases) {
    size_t stamps = 0, reads = 0;
    std::vector<std::pair<const Version*, FileStamp>> seen;
    const ReadResult read = ReadUnchanged(
        [&]() -> std::optional<FileStamp> {
          const Version* v = c.stamps.at(stamps++);
          for (const auto& [version, stamp] : seen)
            if (version == v) return stamp;
          seen.push_back({v, {v->size,
                              v->age ? system_clock::now() - *v->age
                                     : v->modified,
                              v->changed}});
          return seen.back().second;
        },
        [&](uint64_t) {
          return ReadResult{ReadStatus::kRead, c.reads.at(reads++)};
        });
    EXPECT_EQ(read.status, ReadStatus::kRead);
    EXPECT_EQ(read.bytes, "the whole");
    EXPECT_EQ(reads, c.reads.size()) << "reads";
  }
  // A time the clock cannot hold reads as a moment ago.
  EXPECT_EQ(ClockTime(std::chrono::seconds(10'485'000'000)),
            system_clock::time_point::max());
}
