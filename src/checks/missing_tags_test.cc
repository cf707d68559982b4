#include "checks/missing_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> Split(std::string_view list) {
  std::vector<std::string> elements(1);
  for (char c : list) {
    if (c == '|')
      elements.emplace_back();
    else
      elements.back() += c;
  }
  return elements;
}

std::string NamesOf(std::string_view list) {
  std::string all;
  for (const std::string& name : Split(list)) all += name + "\n";
  return all;
}

}  // namespace

TEST(NameListTest, ListsHaveTheirElementCounts) {
  const auto tags = Split(TagNameList);
  ASSERT_EQ(tags.size(), 74u);
  EXPECT_EQ(tags[1], "PageTitle");
  EXPECT_EQ(tags[59], "NotesSubjects Item Count");
  EXPECT_EQ(tags[60], "");
  EXPECT_EQ(tags[43], "Subscibe DoURL");
  const auto blocks = Split(BlockNameList);
  ASSERT_EQ(blocks.size(), 27u);
  EXPECT_EQ(blocks[1], "Profile");
  EXPECT_EQ(blocks[18], "NotesSubjects Item");
  EXPECT_EQ(blocks[19], "");
}

TEST(FindMissingTagsTest, PageWithEveryNamePasses) {
  EXPECT_EQ(FindMissingTags(NamesOf(TagNameList), TagNameList), u"");
  EXPECT_EQ(FindMissingTags(NamesOf(BlockNameList), BlockNameList), u"");
}

TEST(FindMissingTagsTest, ReportsMissingNamesInListOrderOnce) {
  const std::u16string all_missing = FindMissingTags("", BlockNameList);
  EXPECT_TRUE(all_missing.starts_with(
      u"<#Profile#>\r\n<#Authors#>\r\n<#Authors Item#>\r\n<#Music#>\r\n"));
  EXPECT_TRUE(all_missing.ends_with(u"<#NotesSubjects Item#>\r\n"));
  EXPECT_EQ(std::count(all_missing.begin(), all_missing.end(), u'\n'), 18);

  // Everything but two names: only those are reported, in list order.
  std::string page = NamesOf(TagNameList);
  page.erase(page.find("YesterdayHit"), 12);
  page.erase(page.find("BlogID"), 6);
  EXPECT_EQ(FindMissingTags(page, TagNameList),
            u"<#BlogID#>\r\n<#YesterdayHit#>\r\n");
}

TEST(FindMissingTagsTest, ListWithoutNamesLetsEveryPagePass) {
  EXPECT_EQ(FindMissingTags("", ""), u"");
  EXPECT_EQ(FindMissingTags("", "|"), u"");
  EXPECT_EQ(FindMissingTags("x", "||||"), u"");
  // First and last elements are never names.
  EXPECT_EQ(FindMissingTags("", "First|Last"), u"");
  EXPECT_EQ(FindMissingTags("", "First|Mid|Last"), u"<#Mid#>\r\n");
}

TEST(FindMissingTagsTest, BareSearchAnywhereWithExactCase) {
  EXPECT_EQ(FindMissingTags("<#ReligiousTimes#>", "|Time|"), u"");
  EXPECT_EQ(FindMissingTags("Profile Link", "|Profile Link|"), u"");
  EXPECT_EQ(FindMissingTags("<#time#>", "|Time|"), u"<#Time#>\r\n");
  EXPECT_EQ(FindMissingTags("ProfileLink", "|Profile Link|"),
            u"<#Profile Link#>\r\n");
}
