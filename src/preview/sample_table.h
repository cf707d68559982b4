// Fixed sample data for the single-value tags the preview fills.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct SampleRow {
  std::u16string_view tag;
  std::u16string_view value;
};

// Applied in this order; later rows see the result of earlier ones.
extern const std::array<SampleRow, 36> SampleTable;

// Applies every row of SampleTable to the whole page, one row after another.
std::u16string ApplySampleTable(std::u16string_view page);
