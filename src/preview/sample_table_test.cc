#include "preview/sample_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "text/codepage.h"

namespace {

size_t Count(std::u16string_view text, char16_t c) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

}  // namespace

TEST(SampleTableTest, RowsAreDistinctTagsInFillOrder) {
  std::set<std::u16string_view> tags;
  for (const SampleRow& row : SampleTable) {
    EXPECT_TRUE(row.tag.starts_with(u"<#")) << row.tag.size();
    tags.insert(row.tag);
  }
  EXPECT_EQ(tags.size(), 36u);
  EXPECT_EQ(SampleTable.front().tag, u"<#ThemeDir#>/");
  EXPECT_EQ(SampleTable[1].tag, u"<#ThemeDir#>");
  EXPECT_EQ(SampleTable.back().tag, u"<#FlashTitle#>");
}

TEST(SampleTableTest, PersianValuesCarryTheirJoinersAndArabicLetters) {
  EXPECT_EQ(Count(SampleTable[4].value, u'\u200c'), 2u);
  EXPECT_EQ(Count(SampleTable[10].value, u'\u200c'), 3u);
  EXPECT_NE(SampleTable[4].value.find(u"مي\u200cشود"), std::u16string_view::npos);
  EXPECT_NE(SampleTable[4].value.find(u"مي\u200cدهد"), std::u16string_view::npos);
  EXPECT_NE(SampleTable[10].value.find(u"بخش\u200cهايي"), std::u16string_view::npos);
  EXPECT_NE(SampleTable[10].value.find(u"اين\u200cجا"), std::u16string_view::npos);
  for (const SampleRow& row : SampleTable) {
    // The Persian forms of yeh and kaf are not what the service writes.
    EXPECT_EQ(Count(row.value, u'\u06cc'), 0u);
    EXPECT_EQ(Count(row.value, u'\u06a9'), 0u);
  }
}

namespace {

// The sample table applied to a page given as text.
std::u16string Applied(std::u16string_view page) {
  const StageResult filled = ApplySampleTable(Cp1256(page));
  EXPECT_EQ(filled.fault, PageFault::kNone);
  return DecodeWindows1256(filled.page);
}

}  // namespace

TEST(ApplySampleTableTest, FillsEveryOccurrence) {
  EXPECT_EQ(Applied(u"<#EntryDate#>|<#EntryDate#>|<#Scr#>"),
            u"1388/1/1|1388/1/1|ld(1,7);");
  EXPECT_EQ(Applied(u"<#WebDomain#>"), u"example.com");
  EXPECT_EQ(Applied(u"<#SiteName#>"), u"عنوان سايت");
}

TEST(ApplySampleTableTest, ThemeDirWithSlashLeavesBareFileName) {
  EXPECT_EQ(Applied(u"<img src=\"<#ThemeDir#>/logo.gif\">"),
            u"<img src=\"logo.gif\">");
  EXPECT_EQ(Applied(u"[<#ThemeDir#>]"), u"[]");
}

TEST(ApplySampleTableTest, PhotoSiteCodIsNotTouchedBySiteCod) {
  EXPECT_EQ(Applied(u"<#PhotoSiteCod#>,<#SiteCod#>"), u"0,0");
}

TEST(ApplySampleTableTest, DeletionCanFormALaterRowsTag) {
  // Row 2 removes the inner tag, which joins "<#Site" and "Name#>" into a
  // tag that row 3 then fills; a single pass over all rows would not.
  EXPECT_EQ(Applied(u"<#Site<#ThemeDir#>Name#>"), u"عنوان سايت");
  // An earlier row's tag formed by a later deletion stays as it is.
  EXPECT_EQ(Applied(u"<#Theme<#Loop:PhotoBox#>Dir#>"), u"<#ThemeDir#>");
}

TEST(ApplySampleTableTest, BoxMarkersVanishAndContentStaysOnce) {
  EXPECT_EQ(Applied(u"<#Loop:PhotoBox#>[<#PhotoID#>|<#PhotoDate#>]<#End:PhotoBox#>"
                    u"<#Loop:MovieBox#>[<#MoviePasvand#>]<#End:MovieBox#>"
                    u"<#Loop:SoundBox#>[<#SoundPasvand#>]<#End:SoundBox#>"
                    u"<#Loop:FlashBox#>[<#FlashDate#>]<#End:FlashBox#>"),
            u"[0|1388/2/2][wmv][wav][1388/5/5]");
}

TEST(ApplySampleTableTest, UnknownAndMiscapitalisedTagsStay) {
  const std::u16string page = u"<html><#sitename#><#Other#>\u0627</html>";
  EXPECT_EQ(Applied(page), page);
}

TEST(ApplySampleTableTest, PageThatWouldGrowPastTheLimitStops) {
  // "<#EntryText#>" brings in a paragraph.
  const PageText page = "<#EntryText#>";
  const size_t filled = Cp1256(SampleTable[10].value).size();
  EXPECT_EQ(ApplySampleTable(page, filled - 1).fault, PageFault::kTooLarge);
  EXPECT_EQ(ApplySampleTable(page, filled).fault, PageFault::kNone);
}
