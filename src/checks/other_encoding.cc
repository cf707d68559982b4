#include "checks/other_encoding.h"

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// where there is none (Unicode's table of well-formed byte sequences: no
// overlong forms, no surrogates, nothing past U+10FFFF).
size_t SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  const auto continues = [&](size_t i, unsigned low, unsigned high) {
    return byte(i) >= low && byte(i) <= high;
  };
  const unsigned lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) return continues(1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;
    return continues(1, low, high) && continues(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return continues(1, low, high) && continues(2, 0x80, 0xBF) &&
                   continues(3, 0x80, 0xBF)
               ? 4
               : 0;
  }
  return 0;
}

}  // namespace

bool SavedInAnotherEncoding(std::string_view page) {
  if (page.starts_with("\xEF\xBB\xBF") || page.starts_with("\xFF\xFE") ||
      page.starts_with("\xFE\xFF"))
    return true;
  bool multibyte = false;
  for (size_t i = 0; i < page.size();) {
    if (static_cast<unsigned char>(page[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t length = SequenceLength(page.substr(i));
    if (length == 0) return false;
    multibyte = true;
    i += length;
  }
  return multibyte;
}
