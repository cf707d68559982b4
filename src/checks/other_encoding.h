// Tells a template saved in an encoding other than Windows-1256 (today's
// editors save UTF-8, or UTF-16 as "Unicode"), which would otherwise give a
// preview of its UTF-8 text mixed with Windows-1256 sample data.
#pragma once

#include <string_view>

// True when `page` begins with a UTF-8 or UTF-16 byte-order mark, or is
// valid UTF-8 with at least one character of more than one byte. Persian
// text in Windows-1256 is never valid UTF-8: its letters, 0xC1 to 0xFE,
// are followed by bytes that cannot continue a sequence; and a template of
// ASCII alone holds no sequence of more than one byte.
bool SavedInAnotherEncoding(std::string_view page);
