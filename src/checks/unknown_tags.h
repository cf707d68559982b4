// The report of the tags a finished page (Windows-1256 bytes) still holds.
#pragma once

#include <string>
#include <string_view>

// One line per leftover "<#", in page order, duplicates kept: the tag through
// the first "#>" at or behind its "<" (or to the page's end), cut at its first
// line break or at kMaxReportedTagLength and then ended by "…" (a tag missing
// its "#>" must not show the lines after it), and "\r\n". Past
// kMaxReportedTags lines, which would not fit the screen, each distinct line
// (as cut) once, in order of first appearance, at most kMaxReportedTags of
// them, then a line counting those left out: a tag misspelt many times hides
// no other. Empty when no "<#" is left.
std::u16string FindUnknownTags(std::string_view page);

inline constexpr size_t kMaxReportedTagLength = 40;
// With the header, the count line and the button, a box of this many lines
// still fits a screen 768 pixels high.
inline constexpr size_t kMaxReportedTags = 25;
