// Checks that a template holds the names of a name list somewhere in its text.
#pragma once

#include <string>
#include <string_view>

// Name lists: names between "|" separators. The first and the last element
// of a list are never names; empty elements count as found.
extern const std::string_view TagNameList;
extern const std::string_view BlockNameList;

// One line "<#" name "#>" "\r\n" for each name of `list` that does not occur
// anywhere in `page` (a bare, case-sensitive search), in list order. Empty
// when every name is found. The page is Windows-1256 bytes; the names are
// ASCII, so they are searched for as they are.
std::u16string FindMissingTags(std::string_view page, std::string_view list);
