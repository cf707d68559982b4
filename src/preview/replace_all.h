// The one substitution primitive of the preview builder.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of `find` in `text`, scanning left to right:
// matches never overlap, and text brought in by a replacement is never
// searched again by the same call. An empty `find` leaves the text as it is.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement);
