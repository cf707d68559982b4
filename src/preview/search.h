// Substring search for the stages, which look for each tag once per row over
// pages of hundreds of megabytes: Horspool's, keyed on the window's last two
// bytes, not one, since "<", ">", "#" and quotes are everywhere in HTML; a pair
// found nowhere in the pattern moves the window on by its length less one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A pattern with its search worked out once, for every search of it.
struct Pattern {
  std::string_view text;  // must outlive the pattern
  // By a 12-bit digest of the pair ending a window: where the pattern's
  // rightmost pair with that digest ends (1 to length - 1), else 0: quick to
  // set up per row of a small page, and a rare clash only shortens a move.
  std::array<uint8_t, 1 << 12> shift;
  // The move after a window that ends like the pattern but differs.
  size_t after_mismatch;
};

Pattern PreparePattern(std::string_view text);

// The first occurrence of `pattern` in `text` at or after `from`, or npos:
// always the same as text.find(pattern.text, from).
size_t FindText(std::string_view text, const Pattern& pattern, size_t from);
