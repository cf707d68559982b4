// The charset a template declares. The browser believes the declaration over
// the bytes: Windows-1256 bytes that say they are UTF-8 show every Persian
// word, the sample data's too, as replacement characters. A page that
// declares nothing is guessed at, and Chromium guesses windows-1252 or
// macintosh once some English typography comes before the Persian text.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// What a preview of a template that declares nothing gets, at CharsetPlace.
inline constexpr std::string_view kCharsetTag = R"(<meta charset="windows-1256">)";

// The label of the first <meta> before the first <body> tag that declares a
// charset: in a charset attribute, or after "charset=" in the content of one
// whose http-equiv is "content-type" (any case). The page is read as a
// browser's tokenizer reads it: tags, their attributes quoted with " or ' or
// not, comments (<!-- -->, also closed by --!>), bogus comments (<!x>, <?x>,
// </ x>), and the text of script, style, title, textarea and the like up to
// its end tag; a <meta> counts only where it is a tag. Where the <meta>
// gives several labels (charset twice, content twice), the first that is
// not Windows-1256, since one browser takes the first and another the last.
// The label is a piece of `page`, trimmed of white space; nullopt when
// nothing is declared. Linear in the page, and never past it, whatever is
// left unclosed.
std::optional<std::string_view> DeclaredCharset(std::string_view page);

// windows-1256, cp1256 or x-cp1256, in any case.
bool IsWindows1256(std::string_view label);

// Where kCharsetTag goes so that the page keeps its mode: right after the
// doctype when the page begins with one after nothing but white space,
// comments and <? > instructions (a doctype anywhere later counts for
// nothing), otherwise at the very start.
size_t CharsetPlace(std::string_view page);
