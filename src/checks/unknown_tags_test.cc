#include "checks/unknown_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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
  EXPECT_EQ(FindUnknownTags("<#A#><#>b#>"), u"<#A#>\r\n<#>\r\n");
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
  // A tag missing its "#>" is cut at its first line break, whichever kind.
  EXPECT_EQ(FindUnknownTags("<#WebDomain></a>\r\n</footer>\r\n<#A#>"),
            u"<#WebDomain></a>\u2026\r\n<#A#>\r\n");
  EXPECT_EQ(FindUnknownTags("<#A\rB#><#C\nD#>"), u"<#A\u2026\r\n<#C\u2026\r\n");
}

TEST(FindUnknownTagsTest, TwentyFiveLinesAreReportedAsTheyStand) {
  // Every leftover tag in page order, duplicates included.
  std::string page;
  std::u16string expected;
  for (int i = 0; i < 25; ++i) {
    const std::string tag =
        i % 3 == 0 ? "<#Twice#>" : "<#T" + std::to_string(i) + "#>";
    page += tag;
    expected += DecodeWindows1256(tag) + u"\r\n";
  }
  EXPECT_EQ(FindUnknownTags(page), expected);
}

TEST(FindUnknownTagsTest, LongerReportsShowEachDistinctLineOnce) {
  // A tag misspelt 22 times must not hide the others: 26 lines show as
  // the four distinct ones, in order of first appearance.
  std::string page = "<#B#>";
  for (int i = 0; i < 22; ++i) page += "<#Typo#>";
  page += "<#C#><#B#><#D#>";
  EXPECT_EQ(FindUnknownTags(page), u"<#B#>\r\n<#Typo#>\r\n<#C#>\r\n<#D#>\r\n");

  // Past 25 distinct lines, the rest are counted, each once.
  std::u16string expected;
  page.clear();
  for (int i = 1; i <= 30; ++i) {
    const std::string tag = "<#T" + std::to_string(i) + "#>";
    page += tag + tag;
    if (i <= 25) expected += DecodeWindows1256(tag) + u"\r\n";
  }
  EXPECT_EQ(FindUnknownTags(page), expected + u"و 5 مورد ديگر\r\n");
}

TEST(FindUnknownTagsTest, LinesAreAlikeAsShownAfterTheCut) {
  // Two tags that differ only past the cut show as one line.
  const std::string forty = "<#" + std::string(38, 'x');
  std::string page;
  for (int i = 0; i < 13; ++i) page += forty + "Ab#>" + forty + "Cd#>";
  EXPECT_EQ(FindUnknownTags(page), DecodeWindows1256(forty) + u"\u2026\r\n");

  // Unclosed openings each run to the end of the page: the ten longest show
  // alike, cut; the one of exactly forty characters has the same text but
  // is whole, and is a line of its own.
  page.clear();
  for (int i = 0; i < 30; ++i) page += "<#";
  std::u16string expected =
      DecodeWindows1256(page.substr(0, 40)) + u"\u2026\r\n";
  for (size_t length = 40; length >= 2; length -= 2)
    expected += DecodeWindows1256(page.substr(0, length)) + u"\r\n";
  EXPECT_EQ(FindUnknownTags(page), expected);
}

TEST(FindUnknownTagsTest, ManyOpeningsBeforeOneCloseStayBounded) {
  // Each opening runs to the one close: all but the last twenty show as
  // the same cut line.
  std::string page;
  for (int i = 0; i < 100000; ++i) page += "<#";
  page += "#>";
  const std::u16string report = FindUnknownTags(page);
  EXPECT_TRUE(report.starts_with(u"<#<#<#")) << report.size();
  EXPECT_EQ(std::count(report.begin(), report.end(), u'\n'), 20);
  EXPECT_EQ(report.find(u"مورد"), std::u16string::npos);
}
