// The charset a template declares, which a browser believes over the bytes.
// With none, Chromium guesses windows-1252 when English typography comes first.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

inline constexpr std::string_view kCharsetTag =
    R"(<meta charset="windows-1256">)";

// The label (a trimmed piece of `page`) of the first <meta> before <body>
// with a charset, or an http-equiv "content-type" and a content with
// "charset=", as a browser's tokenizer reads the page: not in another tag's
// attribute, a comment, a bogus one (<!x>, <?x>, </ x>) or the text of
// script, style, title and the like; of two labels in one <meta>, the first
// that is not Windows-1256 (browsers differ). nullopt for none. Linear.
std::optional<std::string_view> DeclaredCharset(std::string_view page);

// windows-1256, cp1256 or x-cp1256, in any case.
bool IsWindows1256(std::string_view label);

// Where kCharsetTag goes so that the page keeps its mode: after the doctype
// when white space, comments and <? > alone come before it, else first.
size_t CharsetPlace(std::string_view page);
