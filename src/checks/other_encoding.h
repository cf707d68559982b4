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
//   - or is UTF-8 with Arabic letters (U+0600 to U+06FF, Persian ones
//     included) or replacement characters (what an editor that read the
//     page as UTF-8 saved for each letter) in it, more than four for every
//     byte that is not part of well-formed UTF-8. Whatever else the page holds
//     (typography, emoji) does not count, and a stray byte or a last character
//     cut short does not hide the letters. Windows-1256 text weighs the other
//     way: nearly every Persian letter in it is a byte that starts no
//     well-formed sequence, and only a rare pair of letters decodes to an
//     Arabic one
//     ("عک", DA 98, in "عکس"), at most once in any word of Debian's Persian
//     dictionary, always beside a byte that is not UTF-8.
bool SavedInAnotherEncoding(std::string_view page);
