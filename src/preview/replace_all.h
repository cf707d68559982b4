// The one substitution primitive of the preview builder.
#pragma once

#include <cstddef>
#include <string_view>

#include "preview/page_text.h"

// Replaces every occurrence of `find` in `text`, scanning left to right:
// matches never overlap, and text brought in by a replacement is never
// searched again by the same call. An empty `find` leaves the text as it is.
//
// The new text is built in `spare`, which then changes places with `text`,
// so that a series of rows needs two buffers between them however many rows
// there are; a row that does not occur costs only its search.
//
// Returns false, with `text` as it was, as soon as the result would pass
// `limit` bytes.
[[nodiscard]] bool ReplaceAll(PageText& text, std::string_view find,
                              std::string_view replacement, PageText& spare,
                              size_t limit = kMaxPageBytes);
