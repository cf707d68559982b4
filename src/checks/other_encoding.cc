#include "checks/other_encoding.h"

#include <cstddef>

namespace {

// The length of the well-formed UTF-8 sequence (not overlong, no surrogate,
// at most U+10FFFF) that starts `text`, or 0; `code_point` gets its character.
size_t SequenceLength(std::string_view text, char32_t& code_point) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const size_t length = lead >= 0xF0   ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 0;
  if (length == 0 || lead > 0xF4 || text.size() < length) return 0;
  code_point = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0u) != 0x80u) return 0;
    code_point = code_point << 6 | (byte & 0x3Fu);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  return code_point >= kLeast[length] && code_point <= 0x10FFFF && !surrogate
             ? length
             : 0;
}

bool Utf16WithoutMark(std::string_view page) {
  // Most pages hold no NUL at all, which memchr tells at a glance.
  if (page.find('\0') == std::string_view::npos) return false;
  size_t nul[2] = {0, 0};  // at even offsets, at odd ones
  for (size_t i = 0; i < page.size(); ++i) nul[i % 2] += page[i] == '\0';
  // Of (size + 1) / 2 even bytes and size / 2 odd ones: an odd length does
  // not hide the NULs.
  return nul[0] * 4 >= (page.size() + 1) / 2 || nul[1] * 4 >= page.size() / 2;
}

bool PersianUtf8(std::string_view page) {
  size_t arabic = 0, not_utf8 = 0;
  for (size_t i = 0; i < page.size();) {
    char32_t code_point = 0;
    const size_t length = static_cast<unsigned char>(page[i]) < 0x80
                              ? 1
                              : SequenceLength(page.substr(i), code_point);
    not_utf8 += length == 0;
    arabic += length > 1 && ((code_point >= 0x600 && code_point <= 0x6FF) ||
                             code_point == 0xFFFD);
    i += length == 0 ? 1 : length;
  }
  return arabic > 4 * not_utf8;
}

}  // namespace

bool SavedInAnotherEncoding(std::string_view page) {
  return page.starts_with("\xEF\xBB\xBF") || page.starts_with("\xFF\xFE") ||
         page.starts_with("\xFE\xFF") || Utf16WithoutMark(page) ||
         PersianUtf8(page);
}
