#include "checks/missing_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::u16string> Split(std::u16string_view list) {
  std::vector<std::u16string> elements(1);
  for (char16_t c : list) {
    if (c == u'|')
      elements.emplace_back();
    else
      elements.back() += c;
  }
  return elements;
}

std::u16string NamesOf(std::u16string_view list) {
  std::u16string all;
  for (const std::u16string& name : Split(list)) all += name + u"\n";
  return all;
}

}  // namespace

TEST(NameListTest, ListsHaveTheirElementCounts) {
  const auto tags = Split(TagNameList);
  ASSERT_EQ(tags.size(), 74u);
  EXPECT_EQ(tags[1], u"PageTitle");
  EXPECT_EQ(tags[59], u"NotesSubjects Item Count");
  EXPECT_EQ(tags[60], u"");
  EXPECT_EQ(tags[43], u"Subscibe DoURL");
  const auto blocks = Split(BlockNameList);
  ASSERT_EQ(blocks.size(), 27u);
  EXPECT_EQ(blocks[1], u"Profile");
  EXPECT_EQ(blocks[18], u"NotesSubjects Item");
  EXPECT_EQ(blocks[19], u"");
}

TEST(FindMissingTagsTest, PageWithEveryNamePasses) {
  EXPECT_EQ(FindMissingTags(NamesOf(TagNameList), TagNameList), u"");
  EXPECT_EQ(FindMissingTags(NamesOf(BlockNameList), BlockNameList), u"");
}

TEST(FindMissingTagsTest, ReportsMissingNamesInListOrderOnce) {
  const std::u16string all_missing = FindMissingTags(u"", BlockNameList);
  EXPECT_TRUE(all_missing.starts_with(
      u"<#Profile#>\r\n<#Authors#>\r\n<#Authors Item#>\r\n<#Music#>\r\n"));
  EXPECT_TRUE(all_missing.ends_with(u"<#NotesSubjects Item#>\r\n"));
  EXPECT_EQ(std::count(all_missing.begin(), all_missing.end(), u'\n'), 18);

  // Everything but two names: only those are reported, in list order.
  std::u16string page = NamesOf(TagNameList);
  page.erase(page.find(u"YesterdayHit"), 12);
  page.erase(page.find(u"BlogID"), 6);
  EXPECT_EQ(FindMissingTags(page, TagNameList),
            u"<#BlogID#>\r\n<#YesterdayHit#>\r\n");
}

TEST(FindMissingTagsTest, ListWithoutNamesLetsEveryPagePass) {
  EXPECT_EQ(FindMissingTags(u"", u""), u"");
  EXPECT_EQ(FindMissingTags(u"", u"|"), u"");
  EXPECT_EQ(FindMissingTags(u"x", u"||||"), u"");
  // First and last elements are never names.
  EXPECT_EQ(FindMissingTags(u"", u"First|Last"), u"");
  EXPECT_EQ(FindMissingTags(u"", u"First|Mid|Last"), u"<#Mid#>\r\n");
}

TEST(FindMissingTagsTest, BareSearchAnywhereWithExactCase) {
  EXPECT_EQ(FindMissingTags(u"<#ReligiousTimes#>", u"|Time|"), u"");
  EXPECT_EQ(FindMissingTags(u"Profile Link", u"|Profile Link|"), u"");
  EXPECT_EQ(FindMissingTags(u"<#time#>", u"|Time|"), u"<#Time#>\r\n");
  EXPECT_EQ(FindMissingTags(u"ProfileLink", u"|Profile Link|"),
            u"<#Profile Link#>\r\n");
}
