// Tells a template that declares a charset other than Windows-1256. The
// browser believes the declaration over the bytes: Windows-1256 bytes that
// say they are UTF-8 show every Persian word, the sample data's too, as
// replacement characters.
#pragma once

#include <optional>
#include <string_view>

// The label of the first <meta> before the first "<body" (anywhere when
// there is none), outside <!-- --> comments, that declares a charset: in a
// charset attribute, or after "charset=" in the content of one whose
// http-equiv is "content-type" (any case). Attributes are read as browsers
// read them: quoted with " or ', or not. The label is a piece of `page`,
// trimmed of white space; nullopt when nothing is declared or the label is
// windows-1256, cp1256 or x-cp1256 (any case). Linear in the page, and never
// past it, whatever is left unclosed.
std::optional<std::string_view> ForeignCharset(std::string_view page);
