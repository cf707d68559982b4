#include "preview/loop.h"

#include "preview/replace_all.h"
#include "preview/tag_scan.h"

namespace {

constexpr std::array<std::array<std::u16string_view, 3>, 3> kMenuEntries = {{
    {u"عنوان منوي اول", u"text", u"1"},
    {u"عنوان منوي دوم", u"text", u"2"},
    {u"عنوان منوي سوم", u"text", u"3"},
}};

constexpr std::array<std::array<std::u16string_view, 3>, 6> kTextListEntries = {{
    {u"1", u"1388/6/6", u"عنوان نوشته اول"},
    {u"2", u"1388/7/7", u"عنوان نوشته دوم"},
    {u"3", u"1388/7/7", u"عنوان نوشته سوم"},
    {u"4", u"1388/7/7", u"عنوان نوشته چهارم"},
    {u"5", u"1388/7/7", u"عنوان نوشته پنجم"},
    {u"6", u"1388/7/7", u"عنوان نوشته ششم"},
}};

}  // namespace

const LoopDescription MenuLoop = {
    u"Menu", {u"<#MenuTitle#>", u"<#MenuType#>", u"<#MenuID#>"}, kMenuEntries};

const LoopDescription TextListLoop = {
    u"TextList",
    {u"<#TextID#>", u"<#TextDate#>", u"<#TextTitle#>"},
    kTextListEntries};

std::u16string LoopStartMarker(std::u16string_view name) {
  return u"<#Loop:" + std::u16string(name) + u"#>";
}

std::u16string LoopEndMarker(std::u16string_view name) {
  return u"<#End:" + std::u16string(name) + u"#>";
}

std::optional<std::u16string> ExtractLoopText(std::u16string_view page,
                                              std::u16string_view name) {
  const std::u16string start = LoopStartMarker(name);
  const std::u16string end = LoopEndMarker(name);
  const size_t s = FindTag(page, start);
  if (s == std::u16string_view::npos) return std::u16string();
  // The first end marker behind the start, or failing that any end marker.
  const size_t e = FindTag(page, end, s + start.size());
  if (e != std::u16string_view::npos)
    return std::u16string(page.substr(s + start.size(), e - s - start.size()));
  if (FindTag(page, end) == std::u16string_view::npos) return std::u16string();
  return std::nullopt;
}

std::optional<std::u16string> ExpandLoop(std::u16string_view page,
                                         const LoopDescription& loop) {
  const std::optional<std::u16string> body = ExtractLoopText(page, loop.name);
  if (!body) return std::nullopt;

  // The copies are made from the body as it stands, before entry 1 fills it.
  constexpr size_t kFields = std::tuple_size_v<decltype(loop.fields)>;
  std::u16string copies;
  for (size_t k = 1; k < loop.entries.size(); ++k) {
    std::array<Substitution, kFields> fill;
    for (size_t f = 0; f < kFields; ++f)
      fill[f] = {loop.fields[f], loop.entries[k][f]};
    copies += ReplaceAllInOrder(*body, fill);
  }

  // The markers go first, then every field gets entry 1: one row each, in
  // this order, over the whole page.
  const std::u16string start = LoopStartMarker(loop.name);
  const std::u16string end = LoopEndMarker(loop.name);
  std::array<Substitution, 2 + kFields> rows;
  rows[0] = {start, u""};
  rows[1] = {end, copies};
  for (size_t f = 0; f < kFields; ++f)
    rows[2 + f] = {loop.fields[f], loop.entries[0][f]};
  return ReplaceAllInOrder(page, rows);
}
