#include "checks/unknown_tags.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

TEST(FindUnknownTagsTest, ReportsEveryLeftoverInPageOrder) {
  EXPECT_EQ(FindUnknownTags("<html>no tags # > < </html>"), u"");
  EXPECT_EQ(FindUnknownTags(""), u"");
  EXPECT_EQ(FindUnknownTags("a<#Foo#>b<#Bar#>c<#Foo#>"),
            u"<#Foo#>\r\n<#Bar#>\r\n<#Foo#>\r\n");
}

TEST(FindUnknownTagsTest, TagEndsAtFirstCloseBehindItsOpening) {
  // "#>" may begin at the "#" of the opening itself.
  EXPECT_EQ(FindUnknownTags("x<#>y"), u"<#>\r\n");
  // A second opening inside an unclosed tag ends at the same close.
  EXPECT_EQ(FindUnknownTags("<#A <#B#> C#>"), u"<#A <#B#>\r\n<#B#>\r\n");
  EXPECT_EQ(FindUnknownTags("<#<#X#>"), u"<#<#X#>\r\n<#X#>\r\n");
  // A bare close is not a tag.
  EXPECT_EQ(FindUnknownTags("a#>b"), u"");
}

TEST(FindUnknownTagsTest, MiscapitalisedTagsAndOtherLoopsAreReported) {
  EXPECT_EQ(FindUnknownTags("<#sitename#><#Loop:Archive#>x<#End:Archive#>"),
            u"<#sitename#>\r\n<#Loop:Archive#>\r\n<#End:Archive#>\r\n");
}

TEST(FindUnknownTagsTest, UnclosedOpeningRunsToTheEndAndScanGoesOn) {
  EXPECT_EQ(FindUnknownTags("a<#Foo"), u"<#Foo\r\n");
  EXPECT_EQ(FindUnknownTags("<#A#> <#B <#C"), u"<#A#>\r\n<#B <#C\r\n<#C\r\n");
  EXPECT_EQ(FindUnknownTags("<#"), u"<#\r\n");
}

TEST(FindUnknownTagsTest, LongTagIsCutWithEllipsis) {
  const std::u16string name(200, u'\u0633');
  const std::u16string tag = u"<#" + name + u"#>";
  EXPECT_EQ(FindUnknownTags(Cp1256(tag)), tag.substr(0, 40) + u"\u2026\r\n");
  // Exactly at the limit nothing is cut.
  const std::u16string fits = u"<#" + std::u16string(36, u'y') + u"#>";
  EXPECT_EQ(FindUnknownTags(Cp1256(fits)), fits + u"\r\n");
  const std::u16string unclosed = u"<#" + name;
  EXPECT_EQ(FindUnknownTags(Cp1256(unclosed)),
            unclosed.substr(0, 40) + u"\u2026\r\n");
}

TEST(FindUnknownTagsTest, ReportStopsAfterTwentyFiveTagsAndCountsTheRest) {
  std::string page;
  for (int i = 0; i < 25; ++i) page += "<#T#>";
  std::u16string expected;
  for (int i = 0; i < 25; ++i) expected += u"<#T#>\r\n";
  EXPECT_EQ(FindUnknownTags(page), expected);

  page += "<#U#><#V#><#W#>";
  EXPECT_EQ(FindUnknownTags(page), expected + u"و 3 مورد ديگر\r\n");
}

TEST(FindUnknownTagsTest, ManyOpeningsBeforeOneCloseStayBounded) {
  std::string page;
  for (int i = 0; i < 100000; ++i) page += "<#";
  page += "#>";
  const std::u16string report = FindUnknownTags(page);
  EXPECT_LT(report.size(), 25u * 43u + 40u);
  EXPECT_TRUE(report.ends_with(u"<#\u2026\r\nو 99975 مورد ديگر\r\n"));
}
