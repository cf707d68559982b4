// Fast searches for the two-character marks of the template language: every
// tag opens with "<#" and closes with "#>". The stages call these on pages of
// many megabytes, so they look at several characters per step.
#pragma once

#include <string_view>

// Position of the first `first` `second` pair that begins at or after `from`,
// or npos. Same result as text.find(std::u16string_view{first, second}, from).
size_t FindPair(std::u16string_view text, size_t from, char16_t first,
                char16_t second);

inline size_t FindOpening(std::u16string_view text, size_t from) {
  return FindPair(text, from, u'<', u'#');
}

inline size_t FindClosing(std::u16string_view text, size_t from) {
  return FindPair(text, from, u'#', u'>');
}

// Position of the first occurrence of `tag` at or after `from`, or npos; the
// same as text.find(tag, from). Fast when `tag` begins with "<#".
size_t FindTag(std::u16string_view text, std::u16string_view tag,
               size_t from = 0);
