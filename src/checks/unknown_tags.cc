#include "checks/unknown_tags.h"

#include "text/codepage.h"

namespace {

constexpr std::string_view kOpen = "<#";
constexpr std::string_view kClose = "#>";
constexpr size_t npos = std::string_view::npos;

void AppendLine(std::u16string& report, std::string_view tag) {
  if (tag.size() > kMaxReportedTagLength) {
    report += DecodeWindows1256(tag.substr(0, kMaxReportedTagLength));
    report += u'\u2026';
  } else {
    report += DecodeWindows1256(tag);
  }
  report += u"\r\n";
}

std::u16string CountLine(size_t left_out) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + left_out % 10));
    left_out /= 10;
  } while (left_out > 0);
  return u"و " + digits + u" مورد ديگر\r\n";
}

}  // namespace

std::u16string FindUnknownTags(std::string_view page) {
  std::u16string report;
  size_t reported = 0;
  size_t left_out = 0;
  // The first "#>" at or after the current opening. Openings only move
  // forward, so this is searched again only once it falls behind them, which
  // keeps the scan linear however many openings share one close.
  size_t close = 0;
  bool close_known = false;

  for (size_t p = page.find(kOpen); p != npos; p = page.find(kOpen, p + 2)) {
    if (reported == kMaxReportedTags) {
      ++left_out;
      continue;
    }
    if (!close_known || (close != npos && close < p)) {
      close = page.find(kClose, p);
      close_known = true;
    }
    const size_t end = close == npos ? page.size() : close + kClose.size();
    AppendLine(report, page.substr(p, end - p));
    ++reported;
  }
  if (left_out > 0) report += CountLine(left_out);
  return report;
}
