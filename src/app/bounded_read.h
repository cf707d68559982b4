// Reading a whole file with a bound on what is read.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/platform.h"

// Reads a file the system says has `size` bytes through `read_some(where,
// room)`: the bytes read, 0 at the end, less than 0 on failure. Room is made
// for one byte more than `size`, to see a file still growing (or one that,
// like those in /proc, tells no size) go on; more than `max_bytes` bytes make
// it kTooLarge, and no more than `max_bytes` + 1 are ever read.
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
