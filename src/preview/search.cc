#include "preview/search.h"

#include <cstdint>
#include <cstring>

namespace {

// A hash of the two bytes that end at `end`. Pairs are far more telling than
// single bytes in HTML, where "<", ">", "#" and quotes are everywhere.
unsigned PairHash(const unsigned char* end) {
  return (end[0] - (static_cast<unsigned>(end[-1]) << 3)) & 0xFF;
}

}  // namespace

// Horspool's search, keyed on the last two bytes of the window instead of
// the last one. shift[h] is the end position, within the pattern, of the
// rightmost pair with hash h (0: no pair of the pattern has it), so a
// window whose last pair is not in the pattern moves on by a whole pattern
// length less one, and any other moves so that the pairs line up.
size_t FindText(std::string_view text, std::string_view pattern, size_t from) {
  const size_t m = pattern.size();
  // Short patterns gain nothing; shifts must fit a byte.
  if (m < 3 || m > 255) return text.find(pattern, from);
  if (from > text.size() || text.size() - from < m)
    return std::string_view::npos;

  const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
  const size_t last = m - 1;
  uint8_t shift[256] = {};
  for (size_t i = 1; i < last; ++i) shift[PairHash(p + i)] = static_cast<uint8_t>(i);
  // After a window that ends like the pattern but does not match, the next
  // window that could match lines up the previous pair of that hash.
  const size_t after_mismatch = last - shift[PairHash(p + last)];
  shift[PairHash(p + last)] = static_cast<uint8_t>(last);

  const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = begin + text.size();
  for (const unsigned char* window_end = begin + from + last; window_end < end;) {
    const size_t s = shift[PairHash(window_end)];
    if (s == 0) {
      window_end += last;
    } else if (s < last) {
      window_end += last - s;
    } else if (std::memcmp(window_end - last, p, m) == 0) {
      return static_cast<size_t>(window_end - last - begin);
    } else {
      window_end += after_mismatch;
    }
  }
  return std::string_view::npos;
}
