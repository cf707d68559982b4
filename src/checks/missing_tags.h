// Checks that a template holds the names of a name list somewhere in its text.
#pragma once

#include <string>
#include <string_view>

// Name lists: names between "|" separators. The first and the last element
// of a list are never names; empty elements count as found.
extern const std::u16string_view TagNameList;
extern const std::u16string_view BlockNameList;

// One line "<#" name "#>" "\r\n" for each name of `list` that does not occur
// anywhere in `page` (a bare, case-sensitive search), in list order. Empty
// when every name is found.
std::u16string FindMissingTags(std::u16string_view page,
                               std::u16string_view list);
