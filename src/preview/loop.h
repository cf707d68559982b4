// Loop blocks, "<#Loop:name#>" body "<#End:name#>", filled with sample data.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "preview/page_text.h"

// A loop with three fields per entry. Entry 1 fills the body where it stands;
// entries 2 to N are copies of the body placed right behind it.
struct LoopDescription {
  std::u16string_view name;
  std::array<std::u16string_view, 3> fields;
  std::span<const std::array<std::u16string_view, 3>> entries;
};

extern const LoopDescription MenuLoop;
extern const LoopDescription TextListLoop;

// "<#Loop:" name "#>" and "<#End:" name "#>", as they stand in a page.
PageText LoopStartMarker(std::u16string_view name);
PageText LoopEndMarker(std::u16string_view name);

// The text between the first start marker of `name` and the first end marker
// behind it; empty when either marker is missing. nullopt when every end
// marker stands before the first start marker: the template is broken there.
std::optional<PageText> ExtractLoopText(std::string_view page,
                                        std::u16string_view name);

// Expands every loop of `loop.name` into its entries (each end marker gets
// all the copies) and fills its fields everywhere with entry 1. Fails with
// kMisorderedLoop where ExtractLoopText gives nullopt, kTooLarge past `limit`.
StageResult ExpandLoop(PageText page, const LoopDescription& loop,
                       size_t limit = kMaxPageBytes);
