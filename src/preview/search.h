// Substring search for the stages, which look for each tag once per row over
// pages of up to many megabytes.
#pragma once

#include <cstddef>
#include <string_view>

// Position of the first occurrence of `pattern` in `text` that begins at or
// after `from`, or npos. Always the same as text.find(pattern, from), only
// faster: it skips ahead by the pattern's length wherever the text cannot
// hold it, instead of stopping at every "<" of the page.
size_t FindText(std::string_view text, std::string_view pattern, size_t from);
