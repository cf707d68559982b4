// Tells a template saved in an encoding other than Windows-1256 (today's
// editors save UTF-8, or UTF-16 as "Unicode"), which would otherwise give a
// preview of its text garbled beside Windows-1256 sample data.
#pragma once

#include <string_view>

// True when `page` is not Windows-1256 text but:
//   - begins with a UTF-8 or UTF-16 byte-order mark;
//   - is UTF-16 without one: NUL bytes, the high half of every ASCII
//     character, in at least a quarter of its even or of its odd bytes
//     (Windows-1256 text has no reason to hold any);
//   - or is valid UTF-8 in which most characters of more than one byte are
//     Arabic letters (U+0600 to U+06FF), as a Persian template saved as
//     UTF-8 is. Windows-1256 bytes seldom pair into valid UTF-8 at all, and
//     when they do (a page whose only Persian is "تک", CA 98, or "سگ", D3
//     90), they decode to Latin, IPA or Cyrillic letters, not Arabic ones.
bool SavedInAnotherEncoding(std::string_view page);
