#include "preview/loop.h"

#include "preview/replace_all.h"
#include "preview/search.h"
#include "text/codepage.h"

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

PageText LoopStartMarker(std::u16string_view name) {
  return "<#Loop:" + Cp1256(name) + "#>";
}

PageText LoopEndMarker(std::u16string_view name) {
  return "<#End:" + Cp1256(name) + "#>";
}

std::optional<PageText> ExtractLoopText(std::string_view page,
                                        std::u16string_view name) {
  constexpr size_t npos = std::string_view::npos;
  const PageText start = LoopStartMarker(name);
  const PageText end = LoopEndMarker(name);
  const size_t s = FindText(page, PreparePattern(start), 0);
  if (s == npos) return PageText();
  const size_t body = s + start.size();
  const Pattern end_marker = PreparePattern(end);
  const size_t e = FindText(page, end_marker, body);
  if (e != npos) return PageText(page.substr(body, e - body));
  if (FindText(page, end_marker, 0) == npos) return PageText();
  return std::nullopt;
}

StageResult ExpandLoop(PageText page, const LoopDescription& loop,
                       size_t limit) {
  const std::optional<PageText> body = ExtractLoopText(page, loop.name);
  if (!body) return {PageText(), PageFault::kMisorderedLoop};
  const StageResult too_large = {PageText(), PageFault::kTooLarge};

  // The copies are made from the body as it stands, before entry 1 fills it.
  PageText spare;
  PageText copies;
  for (size_t k = 1; k < loop.entries.size(); ++k) {
    PageText copy = *body;
    for (size_t f = 0; f < loop.fields.size(); ++f)
      if (!ReplaceAll(copy, Cp1256(loop.fields[f]), Cp1256(loop.entries[k][f]),
                      spare, limit))
        return too_large;
    if (copy.size() > limit - copies.size()) return too_large;
    copies += copy;
  }

  // The markers first, then each field's entry 1: one row each, page-wide.
  if (!ReplaceAll(page, LoopStartMarker(loop.name), "", spare, limit) ||
      !ReplaceAll(page, LoopEndMarker(loop.name), copies, spare, limit))
    return too_large;
  for (size_t f = 0; f < loop.fields.size(); ++f)
    if (!ReplaceAll(page, Cp1256(loop.fields[f]), Cp1256(loop.entries[0][f]),
                    spare, limit))
      return too_large;
  return {std::move(page)};
}
