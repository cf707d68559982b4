// UTF-16 text as UTF-8, for the Linux dialog and terminal and the tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Appends the code point `c` to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The character at `i`, joining a surrogate pair; moves `i` past it. An
// unpaired surrogate cannot be written as UTF-8 and becomes U+FFFD.
char32_t NextCharacter(std::u16string_view text, size_t& i);

std::string Utf8(std::u16string_view text);
