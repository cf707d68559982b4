#include "checks/other_encoding.h"

#include <cstddef>

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// where there is none (Unicode's table of well-formed byte sequences: no
// overlong forms, no surrogates, nothing past U+10FFFF); `code_point`
// receives the character it stands for.
size_t SequenceLength(std::string_view text, char32_t& code_point) {
  const auto byte = [&](size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  const auto continues = [&](size_t i, unsigned low, unsigned high) {
    return byte(i) >= low && byte(i) <= high;
  };
  const unsigned lead = byte(0);
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = continues(1, 0x80, 0xBF) ? 2 : 0;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;
    length = continues(1, low, high) && continues(2, 0x80, 0xBF) ? 3 : 0;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    length = continues(1, low, high) && continues(2, 0x80, 0xBF) &&
                     continues(3, 0x80, 0xBF)
                 ? 4
                 : 0;
  }
  if (length == 0) return 0;
  code_point = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i)
    code_point = code_point << 6 | (byte(i) & 0x3Fu);
  return length;
}

bool Utf16WithoutMark(std::string_view page) {
  // Most pages hold no NUL at all, which memchr tells at a glance.
  if (page.size() % 2 != 0 || page.find('\0') == std::string_view::npos)
    return false;
  size_t nul[2] = {0, 0};  // at even offsets, at odd ones
  for (size_t i = 0; i < page.size(); ++i) nul[i % 2] += page[i] == '\0';
  const size_t units = page.size() / 2;
  return units > 0 && (nul[0] * 4 >= units || nul[1] * 4 >= units);
}

bool PersianUtf8(std::string_view page) {
  size_t arabic = 0, other = 0;
  for (size_t i = 0; i < page.size();) {
    if (static_cast<unsigned char>(page[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t code_point = 0;
    const size_t length = SequenceLength(page.substr(i), code_point);
    if (length == 0) return false;
    ++(code_point >= 0x600 && code_point <= 0x6FF ? arabic : other);
    i += length;
  }
  return arabic > other;
}

}  // namespace

bool SavedInAnotherEncoding(std::string_view page) {
  return page.starts_with("\xEF\xBB\xBF") || page.starts_with("\xFF\xFE") ||
         page.starts_with("\xFE\xFF") || Utf16WithoutMark(page) ||
         PersianUtf8(page);
}
