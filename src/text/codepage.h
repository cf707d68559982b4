// Windows-1256 bytes, as pages are stored and worked on, to and from UTF-16:
// the program's texts are encoded to go into a page, reports decoded to show.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Every byte maps to exactly one character, so decoding never fails.
std::u16string DecodeWindows1256(std::string_view bytes);

// Every character that decoding gives encodes back to its byte; one outside
// the code page gives nullopt rather than a silent substitute.
std::optional<std::string> EncodeWindows1256(std::u16string_view text);

// A text of the program, encoded; the tests check each is in the code page.
std::string Cp1256(std::u16string_view literal);
