#include "preview/fill_page.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "preview/sample_table.h"

namespace {

constexpr std::array<const LoopDescription*, 2> kLoops = {&MenuLoop,
                                                         &TextListLoop};

// The stages one after another.
FilledPage Staged(std::u16string_view page) {
  std::u16string text = ApplySampleTable(page);
  for (const LoopDescription* loop : kLoops) {
    std::optional<std::u16string> expanded = ExpandLoop(text, *loop);
    if (!expanded) return {std::u16string(), loop};
    text = std::move(*expanded);
  }
  return {text, nullptr};
}

void ExpectSameAsStaged(std::u16string_view page) {
  const FilledPage staged = Staged(page);
  const FilledPage filled = FillPage(page, kLoops);
  EXPECT_EQ(filled.broken_loop, staged.broken_loop);
  EXPECT_EQ(filled.text, staged.text) << "page of " << page.size() << " characters";
}

const std::vector<std::u16string> kFragments = {
    u"<#Loop:Menu#>", u"<#End:Menu#>", u"<#Loop:TextList#>", u"<#End:TextList#>",
    u"<#MenuTitle#>", u"<#MenuType#>", u"<#MenuID#>", u"<#TextID#>",
    u"<#TextDate#>", u"<#TextTitle#>", u"<#ThemeDir#>", u"<#ThemeDir#>/",
    u"<#SiteName#>", u"<#Loop:PhotoBox#>", u"<#End:PhotoBox#>", u"<#Foo#>",
    u"<#", u"<", u"#", u">", u"#>", u"Menu", u"Text", u"List", u"Loop:",
    u"End:", u"Site", u"Name", u"x", u"\u0645\u0646\u0648",
};

std::u16string RandomPage(std::mt19937& rng, size_t parts) {
  std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
  std::u16string page;
  for (size_t n = 0; n < parts; ++n) page += kFragments[pick(rng)];
  return page;
}

}  // namespace

TEST(FillPageTest, SameAsTheStagesOnTypicalPages) {
  ExpectSameAsStaged(u"");
  ExpectSameAsStaged(u"<title><#SiteName#></title>"
                     u"<#Loop:Menu#>[<#MenuID#>]<#End:Menu#>"
                     u"<#Loop:TextList#>(<#TextID#>)<#End:TextList#>");
  ExpectSameAsStaged(u"<#Loop:TextList#><#TextID#>:<#Loop:Menu#><#MenuID#>"
                     u"<#End:Menu#>;<#End:TextList#>");
  ExpectSameAsStaged(u"<#Loop:Menu#>a<#Loop:Menu#>b<#End:Menu#>c<#End:Menu#>");
  // A marker formed by a deletion of the sample table.
  ExpectSameAsStaged(u"<#Loop:Me<#ThemeDir#>nu#>[<#MenuID#>]<#End:Menu#>");
}

TEST(FillPageTest, BrokenLoopsAreNamed) {
  EXPECT_EQ(FillPage(u"<#End:Menu#><#Loop:Menu#>", kLoops).broken_loop, &MenuLoop);
  EXPECT_EQ(FillPage(u"<#End:TextList#>x<#Loop:TextList#>", kLoops).broken_loop,
            &TextListLoop);
  // The menu is checked first.
  EXPECT_EQ(FillPage(u"<#End:TextList#><#Loop:TextList#><#End:Menu#><#Loop:Menu#>",
                     kLoops)
                .broken_loop,
            &MenuLoop);
  ExpectSameAsStaged(u"<#End:Menu#>x<#Loop:Menu#>y<#End:Menu#>");
}

TEST(FillPageTest, SameAsTheStagesOnRandomPages) {
  std::mt19937 rng(1388);
  std::uniform_int_distribution<size_t> parts(0, 30);
  for (int i = 0; i < 20000; ++i) {
    ExpectSameAsStaged(RandomPage(rng, parts(rng)));
    if (HasFailure()) return;
  }
}

TEST(FillPageTest, SameAsTheStagesOnLargePagesWorkedInBlocks) {
  std::mt19937 rng(7);
  for (int i = 0; i < 6; ++i) {
    std::u16string page;
    for (int n = 0; n < 4000; ++n) {
      page += RandomPage(rng, 4);
      page += u"<#NoRowFillsThisTag#> ";
    }
    ExpectSameAsStaged(page);
    if (HasFailure()) return;
  }
}
