// The one substitution primitive of the preview builder.
#pragma once

#include <cstddef>
#include <string_view>

#include "preview/page_text.h"

// Replaces every occurrence of `find` in `text`, left to right: matches never
// overlap, text a replacement brings in is never searched again by this call,
// and an empty `find` changes nothing. The result is built in `spare`, which
// then changes places with `text`, so that any number of rows share two
// buffers; a row that does not occur costs only its search. False, with
// `text` as it was, as soon as the result would pass `limit` bytes.
[[nodiscard]] bool ReplaceAll(PageText& text, std::string_view find,
                              std::string_view replacement, PageText& spare,
                              size_t limit = kMaxPageBytes);
