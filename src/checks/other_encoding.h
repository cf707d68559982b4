// Tells a template that an editor saved as UTF-8 or UTF-16 ("Unicode"), whose
// text would otherwise be garbled beside the Windows-1256 sample data.
#pragma once

#include <string_view>

// True when `page` begins with a UTF-8 or UTF-16 byte-order mark; is UTF-16
// without one (NULs, the high half of ASCII characters, in a quarter or more of
// its even or of its odd bytes; Windows-1256 text has none); or is UTF-8 with
// more Arabic letters (U+0600 to U+06FF, Persian ones included) or U+FFFD (what
// an editor that read the page as UTF-8 saved for each letter) than four per
// byte that is not well-formed UTF-8, whatever else it holds (typography,
// emoji) and despite a stray byte or a last character cut short. In
// Windows-1256 nearly every Persian letter is such a byte; only a rare pair
// decodes to an Arabic letter ("عک", DA 98, in "عکس"), at most once in a word
// of Debian's Persian dictionary, always beside a byte that is not UTF-8.
bool SavedInAnotherEncoding(std::string_view page);
