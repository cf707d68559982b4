#include "preview/replace_all.h"

#include <gtest/gtest.h>

TEST(ReplaceAllTest, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(ReplaceAll(u"a<#X#>b<#X#>c", u"<#X#>", u"1"), u"a1b1c");
  EXPECT_EQ(ReplaceAll(u"<#X#><#X#>", u"<#X#>", u""), u"");
  EXPECT_EQ(ReplaceAll(u"nothing here", u"<#X#>", u"1"), u"nothing here");
  EXPECT_EQ(ReplaceAll(u"", u"<#X#>", u"1"), u"");
}

TEST(ReplaceAllTest, MatchesDoNotOverlap) {
  // "aaa" holds "aa" at 0 and 1; only the leftmost is taken, then the scan
  // continues behind it.
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"aaaa", u"aa", u"b"), u"bb");
}

TEST(ReplaceAllTest, ReplacementIsNeverSearchedAgain) {
  EXPECT_EQ(ReplaceAll(u"<#X#>", u"<#X#>", u"<#X#><#X#>"), u"<#X#><#X#>");
  // Text joined by a deletion is not rescanned by the same call.
  EXPECT_EQ(ReplaceAll(u"<#<#X#>X#>", u"<#X#>", u""), u"<#X#>");
}

TEST(ReplaceAllTest, ComparisonIsExact) {
  EXPECT_EQ(ReplaceAll(u"<#sitename#>", u"<#SiteName#>", u"x"), u"<#sitename#>");
  EXPECT_EQ(ReplaceAll(u"<#SiteName#", u"<#SiteName#>", u"x"), u"<#SiteName#");
}

TEST(ReplaceAllTest, EmptyFindLeavesTextUnchanged) {
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
}
