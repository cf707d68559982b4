// Conversion between Windows-1256 bytes and the UTF-16 text the program
// works on. Templates and previews are stored in this code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Every byte value maps to exactly one character, so decoding never fails.
std::u16string DecodeWindows1256(std::string_view bytes);

// Encodes text back to bytes. Every character that decoding produces encodes
// back to its byte; a character outside the code page gives nullopt rather
// than a silent substitute.
std::optional<std::string> EncodeWindows1256(std::u16string_view text);
