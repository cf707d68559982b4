// The page as every stage sees it: the template's own Windows-1256 bytes.
// Each byte of that code page is exactly one character and every text the
// tool puts into a page is encoded into it first (Cp1256), so searching and
// replacing bytes gives the same page as doing it on characters, at half the
// memory and with no decoding or encoding of the page itself.
#pragma once

#include <string>

using PageText = std::string;
