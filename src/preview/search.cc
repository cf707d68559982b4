#include "preview/search.h"

#include <cassert>
#include <cstring>

namespace {

// Patterns this short gain nothing from skipping; the shifts fit a byte.
constexpr size_t kShortest = 3;
constexpr size_t kLongest = 255;

unsigned PairEndingAt(const unsigned char* end) {
  return ((static_cast<unsigned>(end[-1]) << 4) ^ end[0]) & 0xFFF;
}

}  // namespace

Pattern PreparePattern(std::string_view text) {
  Pattern pattern{text, {}, 0};
  const size_t m = text.size();
  if (m < kShortest || m > kLongest) return pattern;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = m - 1;
  for (size_t i = 1; i < last; ++i)
    pattern.shift[PairEndingAt(p + i)] = static_cast<uint8_t>(i);
  // A window that ends with the pattern's last pair but differs: the next
  // one that could match lines up the pair's previous place in the pattern.
  pattern.after_mismatch = last - pattern.shift[PairEndingAt(p + last)];
  pattern.shift[PairEndingAt(p + last)] = static_cast<uint8_t>(last);
  // Every window moves on by at least one byte, so the search ends: no shift
  // passes `last`, and after a mismatch `last` less an earlier shift is used.
  assert(pattern.after_mismatch >= 1 && pattern.after_mismatch <= last);
  return pattern;
}

size_t FindText(std::string_view text, const Pattern& pattern, size_t from) {
  const std::string_view wanted = pattern.text;
  const size_t m = wanted.size();
  if (m < kShortest || m > kLongest) return text.find(wanted, from);
  if (from > text.size() || text.size() - from < m)
    return std::string_view::npos;

  const size_t last = m - 1;
  const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = begin + text.size();
  for (const unsigned char* window_end = begin + from + last;
       window_end < end;) {
    const size_t s = pattern.shift[PairEndingAt(window_end)];
    assert(s <= last);
    if (s < last) {  // 0: the pattern can at most begin with this byte
      window_end += last - s;
    } else if (std::memcmp(window_end - last, wanted.data(), m) == 0) {
      return static_cast<size_t>(window_end - last - begin);
    } else {
      window_end += pattern.after_mismatch;
    }
  }
  return std::string_view::npos;
}
