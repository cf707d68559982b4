#include "checks/unknown_tags.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>
#include <vector>

#include "text/codepage.h"

namespace {

constexpr std::string_view kOpen = "<#";
constexpr std::string_view kClose = "#>";
constexpr size_t npos = std::string_view::npos;

// A report line as shown, and whether the tag went on past it.
struct ShownTag {
  std::string_view text;
  bool cut = false;
};

// Past this many distinct lines a new one is counted but not kept: a page of
// millions of distinct tags could otherwise take more memory than the page.
constexpr size_t kMaxKeptLines = size_t{1} << 18;

}  // namespace

std::u16string FindUnknownTags(std::string_view page) {
  std::vector<ShownTag> in_page_order;  // the first lines, duplicates kept
  std::vector<ShownTag> distinct;       // the first distinct lines
  // The lines met so far, whole ones and cut ones apart: forty characters
  // that are a whole tag are another line than the same ones cut.
  std::unordered_set<std::string_view> seen[2];
  size_t lines = 0;
  size_t distinct_lines = 0;
  // The first "#>" at or after the current opening, searched again only once
  // an opening passes it: linear however many openings share one close.
  size_t close = page.find(kClose);
  for (size_t p = page.find(kOpen); p != npos; p = page.find(kOpen, p + 2)) {
    if (close != npos && close < p) close = page.find(kClose, p);
    assert(close == npos || close >= p);
    const size_t end = close == npos ? page.size() : close + kClose.size();
    std::string_view shown =
        page.substr(p, std::min(end - p, kMaxReportedTagLength));
    shown = shown.substr(0, shown.find_first_of("\r\n"));
    const ShownTag tag{shown, shown.size() < end - p};
    if (++lines <= kMaxReportedTags + 1) in_page_order.push_back(tag);
    if (seen[tag.cut].contains(tag.text)) continue;
    if (seen[0].size() + seen[1].size() < kMaxKeptLines)
      seen[tag.cut].insert(tag.text);
    if (++distinct_lines <= kMaxReportedTags) distinct.push_back(tag);
  }

  std::u16string report;
  for (const ShownTag& tag :
       lines <= kMaxReportedTags ? in_page_order : distinct) {
    report += DecodeWindows1256(tag.text);
    if (tag.cut) report += u'\u2026';
    report += u"\r\n";
  }
  if (distinct_lines > kMaxReportedTags) {
    const size_t left_out = distinct_lines - kMaxReportedTags;
    const std::u16string count = DecodeWindows1256(std::to_string(left_out));
    report += u"و " + count + u" مورد ديگر\r\n";
  }
  return report;
}
