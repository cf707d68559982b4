// Conversion between Windows-1256 bytes and UTF-16 text. Templates and
// previews are stored in this code page and the page is worked on as those
// bytes; the program's own texts are written as UTF-16 literals and encoded
// when they go into a page, and reports are decoded when they are shown.
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

// One of the program's own texts, encoded. Every such text lies within the
// code page (the tests check each of them), so nothing is ever lost here.
std::string Cp1256(std::u16string_view literal);
