// Loop blocks: "<#Loop:name#>" body "<#End:name#>". The preview repeats the
// body of the menu and text-list loops with sample entries.
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

// The body of the first loop of `name`: the text between its first start
// marker and the first end marker behind it. Empty when either marker is
// missing from the page. nullopt when both occur but every end marker stands
// before the first start marker: the template is broken there.
std::optional<PageText> ExtractLoopText(std::string_view page,
                                        std::u16string_view name);

// Expands every loop of `loop.name` into its entries and fills the loop's
// fields everywhere on the page with entry 1. Fails with kMisorderedLoop in
// the broken case of ExtractLoopText, and with kTooLarge when the page would
// pass `limit` bytes (every end marker receives all the copies, so a few
// kilobytes of markers can ask for gigabytes).
StageResult ExpandLoop(PageText page, const LoopDescription& loop,
                       size_t limit = kMaxPageBytes);
