#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "preview/loop.h"
#include "preview/replace_all.h"
#include "preview/sample_table.h"

namespace {

// The meaning of ReplaceAllInOrder, written the plain way.
std::u16string OneRowAfterAnother(std::u16string_view text,
                                  std::span<const Substitution> rows) {
  std::u16string result(text);
  for (const Substitution& row : rows)
    result = ReplaceAll(result, row.find, row.replacement);
  return result;
}

std::vector<Substitution> SampleRows() {
  std::vector<Substitution> rows;
  for (const SampleRow& row : SampleTable) rows.push_back({row.tag, row.value});
  return rows;
}

// Fragments that pages, finds and values are built from: whole and broken
// tags, the characters that form and end openings, and ordinary text.
const std::vector<std::u16string> kFragments = {
    u"<#", u"<", u"#", u">", u"#>", u"<<", u"##", u"/", u"x", u" ",
    u"Site", u"Name", u"Theme", u"Dir", u"Loop:", u"End:", u"Menu", u"L",
    u"<#ThemeDir#>", u"<#ThemeDir#>/", u"<#SiteName#>", u"<#SiteCod#>",
    u"<#PhotoSiteCod#>", u"<#Loop:PhotoBox#>", u"<#End:PhotoBox#>",
    u"<#Loop:Menu#>", u"<#End:Menu#>", u"<#MenuID#>", u"<#A#>", u"<#B#>",
    u"\u0633\u0627\u064a\u062a", u"\r\n", u"\u200c",
};

std::u16string RandomText(std::mt19937& rng, size_t max_parts) {
  std::uniform_int_distribution<size_t> parts(0, max_parts);
  std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
  std::u16string text;
  for (size_t n = parts(rng); n > 0; --n) text += kFragments[pick(rng)];
  return text;
}

// A find that begins with "<#" and has no other "<", so that the fast way is
// taken, built from the same pieces as the pages.
std::u16string RandomTagFind(std::mt19937& rng) {
  std::u16string find = u"<#";
  find += RandomText(rng, 3);
  std::erase(find, u'<');
  return u"<" + find;
}

void ExpectSameAsOneByOne(std::u16string_view text,
                          std::span<const Substitution> rows) {
  EXPECT_EQ(ReplaceAllInOrder(text, rows), OneRowAfterAnother(text, rows))
      << "page of " << text.size() << " characters, " << rows.size()
      << " rows";
}

}  // namespace

TEST(ReplaceAllInOrderTest, JoinsMadeByAnEarlierRowAreSeenByLaterRows) {
  const std::vector<Substitution> rows = SampleRows();
  EXPECT_EQ(ReplaceAllInOrder(u"<#Site<#ThemeDir#>Name#>", rows),
            u"\u0639\u0646\u0648\u0627\u0646 \u0633\u0627\u064a\u062a");
  // Two deletions in a row join three parts into one tag.
  EXPECT_EQ(ReplaceAllInOrder(u"<#Si<#ThemeDir#>te<#ThemeDir#>Cod#>", rows),
            u"0");
  // An earlier row's tag formed by a later deletion stays.
  EXPECT_EQ(ReplaceAllInOrder(u"<#Theme<#Loop:PhotoBox#>Dir#>", rows),
            u"<#ThemeDir#>");
}

TEST(ReplaceAllInOrderTest, OpeningFormedAcrossADeletion) {
  // Deleting the tag puts "#" right behind "<": a new opening that starts in
  // the text before the deleted tag.
  const std::array<Substitution, 2> rows = {{{u"<#X#>", u""}, {u"<#Y#>", u"y"}}};
  EXPECT_EQ(ReplaceAllInOrder(u"a<<#X#>#Y#>b", rows), u"ayb");
  EXPECT_EQ(ReplaceAllInOrder(u"<<#X#>#Y#>", rows), u"y");
  // The same row does not see the opening it made.
  const std::array<Substitution, 1> one = {{{u"<#X#>", u""}}};
  EXPECT_EQ(ReplaceAllInOrder(u"<#<#X#>X#>", one), u"<#X#>");
  EXPECT_EQ(ReplaceAllInOrder(u"<<#X#>#X#>", one), u"<#X#>");
}

TEST(ReplaceAllInOrderTest, ValuesHoldingOpeningsAreSearchedByLaterRowsOnly) {
  const std::array<Substitution, 3> rows = {{
      {u"<#E#>", u"[<#A#><#E#>]"},
      {u"<#A#>", u"a<"},
      {u"<#B#>", u"#B#>"},
  }};
  EXPECT_EQ(ReplaceAllInOrder(u"<#E#>.<#E#>", rows),
            OneRowAfterAnother(u"<#E#>.<#E#>", rows));
  EXPECT_EQ(ReplaceAllInOrder(u"<#A#><#B#>", rows),
            OneRowAfterAnother(u"<#A#><#B#>", rows));
  // A value ending in "<" before a rest beginning with "#".
  const std::array<Substitution, 2> join = {{{u"<#A#>", u"<"}, {u"<#Z#>", u"z"}}};
  EXPECT_EQ(ReplaceAllInOrder(u"<#A#>#Z#>", join), u"z");
}

TEST(ReplaceAllInOrderTest, RowsThatAreNotTagsStillApplyInOrder) {
  const std::array<Substitution, 3> rows = {{
      {u"aa", u"b"}, {u"", u"never"}, {u"<#X#>", u"aa"}}};
  EXPECT_EQ(ReplaceAllInOrder(u"aaa<#X#>", rows), u"baaa");
}

TEST(ReplaceAllInOrderTest, UntouchedTextComesBackWhole) {
  const std::vector<Substitution> rows = SampleRows();
  EXPECT_EQ(ReplaceAllInOrder(u"", rows), u"");
  EXPECT_EQ(ReplaceAllInOrder(u"<#", rows), u"<#");
  EXPECT_EQ(ReplaceAllInOrder(u"<#<#<#Foo#>x<#", rows), u"<#<#<#Foo#>x<#");
  EXPECT_EQ(ReplaceAllInOrder(u"plain <b>text</b>", rows), u"plain <b>text</b>");
}

TEST(ReplaceAllInOrderTest, MatchesRowAfterRowOnRandomPagesWithTheSampleTable) {
  const std::vector<Substitution> rows = SampleRows();
  std::mt19937 rng(1388);
  for (int i = 0; i < 20000; ++i) {
    const std::u16string page = RandomText(rng, 24);
    ExpectSameAsOneByOne(page, rows);
    if (HasFailure()) return;
  }
}

TEST(ReplaceAllInOrderTest, MatchesRowAfterRowOnRandomPagesWithLoopRows) {
  // The rows ExpandLoop uses: markers, then fields, with copies of a body
  // that may hold openings itself.
  std::mt19937 rng(7);
  for (int i = 0; i < 10000; ++i) {
    const std::u16string copies = RandomText(rng, 6);
    const std::array<Substitution, 5> rows = {{
        {u"<#Loop:Menu#>", u""},
        {u"<#End:Menu#>", copies},
        {u"<#MenuTitle#>", u"\u0639\u0646\u0648\u0627\u0646"},
        {u"<#MenuType#>", u"text"},
        {u"<#MenuID#>", u"1"},
    }};
    ExpectSameAsOneByOne(RandomText(rng, 20), rows);
    if (HasFailure()) return;
  }
}

TEST(ReplaceAllInOrderTest, MatchesRowAfterRowWithRandomRows) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> row_count(1, 8);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int i = 0; i < 30000; ++i) {
    std::vector<std::u16string> finds, values;
    const int n = row_count(rng);
    for (int r = 0; r < n; ++r) {
      // Mostly tag rows; now and then one that forces the row-by-row way.
      finds.push_back(percent(rng) < 95 ? RandomTagFind(rng) : RandomText(rng, 2));
      values.push_back(percent(rng) < 40 ? u"" : RandomText(rng, 3));
    }
    std::vector<Substitution> rows;
    for (int r = 0; r < n; ++r) rows.push_back({finds[r], values[r]});
    ExpectSameAsOneByOne(RandomText(rng, 30), rows);
    if (HasFailure()) return;
  }
}

TEST(ReplaceAllInOrderTest, LongRunsOfJoinsAndOpenings) {
  const std::vector<Substitution> rows = SampleRows();
  std::u16string joins, openings, straddles;
  for (int i = 0; i < 5000; ++i) {
    joins += u"<#Site<#ThemeDir#>Name#>x";
    openings += u"<#";
    straddles += u"<<#ThemeDir#>#SiteCod#>";
  }
  ExpectSameAsOneByOne(joins, rows);
  ExpectSameAsOneByOne(openings, rows);
  ExpectSameAsOneByOne(straddles, rows);
  ExpectSameAsOneByOne(openings + joins + straddles + openings, rows);
}

TEST(ReplaceAllInOrderTest, MatchesRowAfterRowOnLargePagesWorkedInBlocks) {
  // Long pages are worked on in blocks cut at openings that no row can
  // change; these pages hold many of those between joins and new openings.
  const std::vector<Substitution> rows = SampleRows();
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int i = 0; i < 12; ++i) {
    std::u16string page;
    for (int n = 0; n < 20000; ++n) {
      page += RandomText(rng, 3);
      if (percent(rng) < 3) page += u"<#NoRowFillsThisTag#> ";
    }
    ExpectSameAsOneByOne(page, rows);
    if (HasFailure()) return;
  }
}
