#include "preview/loop.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace {

// The loop functions on a page given as text, with the result as text;
// nullopt where the loop is misordered.
std::optional<std::u16string> Extract(std::u16string_view page,
                                      std::u16string_view name) {
  const std::optional<PageText> body = ExtractLoopText(Cp1256(page), name);
  if (!body) return std::nullopt;
  return DecodeWindows1256(*body);
}

std::optional<std::u16string> Expand(std::u16string_view page,
                                     const LoopDescription& loop) {
  const StageResult expanded = ExpandLoop(Cp1256(page), loop);
  if (expanded.fault == PageFault::kMisorderedLoop) return std::nullopt;
  EXPECT_EQ(expanded.fault, PageFault::kNone);
  return DecodeWindows1256(expanded.page);
}

}  // namespace

TEST(LoopDescriptionTest, MenuAndTextListHoldTheirEntries) {
  EXPECT_EQ(MenuLoop.name, u"Menu");
  ASSERT_EQ(MenuLoop.entries.size(), 3u);
  EXPECT_EQ(MenuLoop.entries[2][0], u"عنوان منوي سوم");
  EXPECT_EQ(TextListLoop.name, u"TextList");
  ASSERT_EQ(TextListLoop.entries.size(), 6u);
  EXPECT_EQ(TextListLoop.entries[0][1], u"1388/6/6");
  for (size_t k = 1; k < 6; ++k)
    EXPECT_EQ(TextListLoop.entries[k][1], u"1388/7/7");
}

TEST(ExtractLoopTextTest, BodyBetweenFirstStartAndFollowingEnd) {
  EXPECT_EQ(Extract(u"a<#Loop:Menu#>\r\n body \r\n<#End:Menu#>b", u"Menu"),
            u"\r\n body \r\n");
  EXPECT_EQ(Extract(u"<#Loop:Menu#><#End:Menu#>", u"Menu"), u"");
}

TEST(ExtractLoopTextTest, MissingMarkerGivesEmptyBody) {
  EXPECT_EQ(Extract(u"<#Loop:Menu#>body", u"Menu"), u"");
  EXPECT_EQ(Extract(u"body<#End:Menu#>", u"Menu"), u"");
  EXPECT_EQ(Extract(u"", u"Menu"), u"");
}

TEST(ExtractLoopTextTest, OnlyTheFirstLoopIsSeen) {
  EXPECT_EQ(Extract(u"<#Loop:Menu#>1<#End:Menu#><#Loop:Menu#>2<#End:Menu#>",
                            u"Menu"),
            u"1");
  // A nested start marker stays in the body, which ends at the first end.
  EXPECT_EQ(Extract(u"<#Loop:Menu#>a<#Loop:Menu#>b<#End:Menu#>c<#End:Menu#>",
                            u"Menu"),
            u"a<#Loop:Menu#>b");
  // The end marker looked for is the first one behind the start marker.
  EXPECT_EQ(Extract(u"<#End:Menu#><#Loop:Menu#>x<#End:Menu#>", u"Menu"),
            u"x");
}

TEST(ExtractLoopTextTest, NamesAreWholeNames) {
  EXPECT_EQ(Extract(u"<#Loop:MenuItems#>x<#End:MenuItems#>", u"Menu"), u"");
  EXPECT_EQ(Extract(u"<#Loop:menu#>x<#End:menu#>", u"Menu"), u"");
}

TEST(ExtractLoopTextTest, EndOnlyBeforeStartIsReportedAsBroken) {
  EXPECT_EQ(Extract(u"<#End:Menu#>x<#Loop:Menu#>y", u"Menu"), std::nullopt);
}

namespace {

// A small loop whose values are easy to read in expectations.
constexpr std::array<std::array<std::u16string_view, 3>, 3> kEntries = {{
    {u"A1", u"B1", u"C1"},
    {u"A2", u"B2", u"C2"},
    {u"A3", u"B3", u"C3"},
}};
const LoopDescription kLoop = {u"L", {u"<#A#>", u"<#B#>", u"<#C#>"}, kEntries};

}  // namespace

TEST(ExpandLoopTest, EntriesFollowEachOtherWhereTheLoopStood) {
  EXPECT_EQ(Expand(u"[<#Loop:L#>(<#A#>,<#B#>,<#C#>)<#End:L#>]", kLoop),
            u"[(A1,B1,C1)(A2,B2,C2)(A3,B3,C3)]");
}

TEST(ExpandLoopTest, FieldsOutsideTheLoopGetEntryOne) {
  EXPECT_EQ(Expand(u"<#A#>|<#Loop:L#><#B#><#End:L#>|<#C#>", kLoop),
            u"A1|B1B2B3|C1");
  // Without a loop the copies are empty, but the fields are still filled.
  EXPECT_EQ(Expand(u"<#A#><#C#>", kLoop), u"A1C1");
}

TEST(ExpandLoopTest, EndMarkerWithoutStartIsRemoved) {
  EXPECT_EQ(Expand(u"x<#End:L#>y", kLoop), u"xy");
}

TEST(ExpandLoopTest, TwoLoopsBothGetCopiesOfTheFirstBody) {
  EXPECT_EQ(Expand(u"<#Loop:L#>1<#A#><#End:L#>-<#Loop:L#>2<#A#><#End:L#>", kLoop),
            u"1A11A21A3-2A11A21A3");
}

TEST(ExpandLoopTest, CopiesAreMadeBeforeEntryOneIsFilledIn) {
  // Were entry 1 filled first, the copies would repeat "A1".
  EXPECT_EQ(Expand(u"<#Loop:L#><#A#><#End:L#>", kLoop), u"A1A2A3");
}

TEST(ExpandLoopTest, NestedStartMarkerIsCarriedIntoTheCopies) {
  EXPECT_EQ(Expand(u"<#Loop:L#>a<#Loop:L#>b<#End:L#>", kLoop),
            u"aba<#Loop:L#>ba<#Loop:L#>b");
}

TEST(ExpandLoopTest, BrokenLoopIsSignalled) {
  EXPECT_EQ(Expand(u"<#End:L#><#Loop:L#>", kLoop), std::nullopt);
}

TEST(ExpandLoopTest, MenuInsideTextListIsExpandedBeforeTheListIsCopied) {
  StageResult page = ExpandLoop(
      "<#Loop:TextList#><#TextID#>:<#Loop:Menu#><#MenuID#><#End:Menu#>;"
      "<#End:TextList#>",
      MenuLoop);
  ASSERT_EQ(page.fault, PageFault::kNone);
  page = ExpandLoop(page.page, TextListLoop);
  EXPECT_EQ(page.page, "1:123;2:123;3:123;4:123;5:123;6:123;");
}

TEST(ExpandLoopTest, RealLoopsFillTheirSampleValues) {
  EXPECT_EQ(Expand(u"<#Loop:Menu#><li id=<#MenuID#> class=<#MenuType#>>"
                       u"<#MenuTitle#></li><#End:Menu#>",
                       MenuLoop),
            u"<li id=1 class=text>عنوان منوي اول</li>"
            u"<li id=2 class=text>عنوان منوي دوم</li>"
            u"<li id=3 class=text>عنوان منوي سوم</li>");
  EXPECT_EQ(Expand(u"<#Loop:TextList#><#TextDate#> <#End:TextList#>",
                       TextListLoop),
            u"1388/6/6 1388/7/7 1388/7/7 1388/7/7 1388/7/7 1388/7/7 ");
}

TEST(ExpandLoopTest, EndMarkersThatMultiplyCopiesStopAtTheLimit) {
  // Every end marker receives all the copies: 100 markers of a 10-byte body
  // ask for 100 * 2 * 10 bytes, more than the limit allows.
  PageText page = "<#Loop:L#>0123456789<#End:L#>";
  for (int i = 0; i < 100; ++i) page += "<#End:L#>";
  EXPECT_EQ(ExpandLoop(page, kLoop, 1000).fault, PageFault::kTooLarge);
  const StageResult within = ExpandLoop(page, kLoop, 3000);
  ASSERT_EQ(within.fault, PageFault::kNone);
  EXPECT_EQ(within.page.size(), 10u + 101 * 20);
}
