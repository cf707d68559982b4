#include "preview/tag_scan.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || \
    (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TEMPLATE_PREVIEW_SSE2 1
#endif

namespace {
constexpr size_t npos = std::u16string_view::npos;
}  // namespace

size_t FindPair(std::u16string_view text, size_t from, char16_t first,
                char16_t second) {
  const char16_t* p = text.data();
  const size_t n = text.size();
  size_t i = from;
#ifdef TEMPLATE_PREVIEW_SSE2
  // Eight positions per step: a lane is set where `first` stands and
  // `second` follows it. Each load stays inside the text.
  const __m128i want_first = _mm_set1_epi16(static_cast<short>(first));
  const __m128i want_second = _mm_set1_epi16(static_cast<short>(second));
  while (i + 9 <= n) {
    const __m128i here =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i behind =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i both = _mm_and_si128(_mm_cmpeq_epi16(here, want_first),
                                       _mm_cmpeq_epi16(behind, want_second));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both));
    if (mask != 0) return i + static_cast<size_t>(std::countr_zero(mask)) / 2;
    i += 8;
  }
#endif
  for (; i + 1 < n; ++i)
    if (p[i] == first && p[i + 1] == second) return i;
  return npos;
}

size_t FindTag(std::u16string_view text, std::u16string_view tag,
               size_t from) {
  if (tag.size() < 2 || tag[0] != u'<' || tag[1] != u'#')
    return text.find(tag, from);
  for (size_t p = FindOpening(text, from); p != npos;
       p = FindOpening(text, p + 1)) {
    if (text.substr(p).starts_with(tag)) return p;
  }
  return npos;
}
