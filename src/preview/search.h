// Substring search for the stages, which look for each tag once per row over
// pages of up to hundreds of megabytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A pattern with its search worked out once, for every search of it over a
// page: Horspool's skipping search, keyed on the two bytes that end the
// window rather than on one. Single bytes tell little in HTML, where "<",
// ">", "#" and quotes are everywhere; a pair of bytes that occurs nowhere in
// the pattern lets the window move on by the pattern's length less one.
struct Pattern {
  std::string_view text;
  // By a 12-bit digest of the pair of bytes ending a window: where the
  // rightmost pair of the pattern with that digest ends, 1 to length - 1; 0
  // where none does. Small enough to set up for every row of a small page,
  // large enough that pairs of a page rarely share a digest with the
  // pattern's, which would only shorten the moves.
  std::array<uint8_t, 1 << 12> shift;
  // How far to move after a window that ends like the pattern but differs.
  size_t after_mismatch;
};

// `text` must outlive the pattern.
Pattern PreparePattern(std::string_view text);

// Position of the first occurrence of `pattern` in `text` that begins at or
// after `from`, or npos. Always the same as text.find(pattern.text, from).
size_t FindText(std::string_view text, const Pattern& pattern, size_t from);
