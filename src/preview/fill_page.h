// Sample substitution and loop expansion in one go over the page.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "preview/loop.h"

struct FilledPage {
  std::u16string text;
  // The loop whose end marker stands only before its start marker (see
  // ExtractLoopText); text is then empty. Null when the page was filled.
  const LoopDescription* broken_loop = nullptr;
};

// The text that ApplySampleTable and then ExpandLoop for each of `loops`, in
// order, give; or the first loop for which ExpandLoop gives nullopt. The
// stages take a pass over the page and a copy of it each; this takes one of
// each for all of them together.
FilledPage FillPage(std::u16string_view page,
                    std::span<const LoopDescription* const> loops);
