#include "preview/loop.h"

#include "preview/replace_all.h"

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
  const size_t s = page.find(start);
  if (s == std::u16string_view::npos ||
      page.find(end) == std::u16string_view::npos)
    return std::u16string();

  const std::u16string_view rest = page.substr(s + start.size());
  const size_t e = rest.find(end);
  if (e == std::u16string_view::npos) return std::nullopt;
  return std::u16string(rest.substr(0, e));
}

std::optional<std::u16string> ExpandLoop(std::u16string_view page,
                                         const LoopDescription& loop) {
  const std::optional<std::u16string> body = ExtractLoopText(page, loop.name);
  if (!body) return std::nullopt;

  // The copies are made from the body as it stands, before entry 1 fills it.
  std::u16string copies;
  for (size_t k = 1; k < loop.entries.size(); ++k) {
    std::u16string copy = *body;
    for (size_t f = 0; f < loop.fields.size(); ++f)
      copy = ReplaceAll(copy, loop.fields[f], loop.entries[k][f]);
    copies += copy;
  }

  std::u16string result = ReplaceAll(page, LoopStartMarker(loop.name), u"");
  result = ReplaceAll(result, LoopEndMarker(loop.name), copies);
  for (size_t f = 0; f < loop.fields.size(); ++f)
    result = ReplaceAll(result, loop.fields[f], loop.entries[0][f]);
  return result;
}
