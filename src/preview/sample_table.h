// Fixed sample data for the single-value tags the preview fills.
#pragma once

#include <array>
#include <string_view>

#include "preview/page_text.h"

struct SampleRow {
  std::u16string_view tag;
  std::u16string_view value;
};

// Applied in this order, each row to the whole result of the rows before it:
// text joined by one row's deletion can form a later row's tag.
extern const std::array<SampleRow, 36> SampleTable;

// Applies SampleTable to the page; kTooLarge when it would pass `limit` bytes.
StageResult ApplySampleTable(PageText page, size_t limit = kMaxPageBytes);
