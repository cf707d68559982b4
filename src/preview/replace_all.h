// The one substitution primitive of the preview builder.
#pragma once

#include <span>
#include <string>
#include <string_view>

// Replaces every occurrence of `find` in `text`, scanning left to right:
// matches never overlap, and text brought in by a replacement is never
// searched again by the same call. An empty `find` leaves the text as it is.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement);

struct Substitution {
  std::u16string_view find;
  std::u16string_view replacement;
};

// The result of applying ReplaceAll once per row, in row order, each row to
// the whole result of the rows before it. When every `find` is a tag ("<#",
// then no further "<"), this takes time linear in the text and the result
// rather than a pass and a copy of the page per row; other rows are applied
// one after another with ReplaceAll.
std::u16string ReplaceAllInOrder(std::u16string_view text,
                                 std::span<const Substitution> rows);
