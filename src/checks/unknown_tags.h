// Lists the tags left in a finished page (Windows-1256 bytes): every "<#"
// the preview did not fill.
#pragma once

#include <string>
#include <string_view>

// One line per leftover "<#", in page order, duplicates kept: the tag as
// written through the first "#>" at or behind its "<", then "\r\n". An
// opening with no "#>" behind it runs to the end of the page. To keep the
// report readable on any input, a line is cut at the tag's first line break
// or at kMaxReportedTagLength, whichever comes first, and then ends in "…":
// a tag missing its "#>" shows as one line, not as the lines of the page
// after it. A report of more than kMaxReportedTags lines
// would not fit the screen; it shows instead each distinct line once, as
// shown after the cut, in order of first appearance, at most
// kMaxReportedTags of them, then one more line counting the distinct lines
// left out, so that a tag misspelt many times hides no other. Empty when no
// "<#" is left.
std::u16string FindUnknownTags(std::string_view page);

inline constexpr size_t kMaxReportedTagLength = 40;
// With the header, the count line and the button, a box of this many lines
// still fits a screen 768 pixels high.
inline constexpr size_t kMaxReportedTags = 25;
