#include "preview/replace_all.h"

#include <gtest/gtest.h>

namespace {

PageText Replaced(PageText text, std::string_view find,
                  std::string_view replacement) {
  PageText spare;
  EXPECT_TRUE(ReplaceAll(text, find, replacement, spare));
  return text;
}

}  // namespace

TEST(ReplaceAllTest, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(Replaced("a<#X#>b<#X#>c", "<#X#>", "1"), "a1b1c");
  EXPECT_EQ(Replaced("<#X#><#X#>", "<#X#>", ""), "");
  EXPECT_EQ(Replaced("nothing here", "<#X#>", "1"), "nothing here");
  EXPECT_EQ(Replaced("", "<#X#>", "1"), "");
}

TEST(ReplaceAllTest, MatchesDoNotOverlap) {
  // "aaa" holds "aa" at 0 and 1; only the leftmost is taken, then the scan
  // continues behind it.
  EXPECT_EQ(Replaced("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replaced("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(Replaced("<#<#<#", "<#<#", "x"), "x<#");
}

TEST(ReplaceAllTest, ReplacementIsNeverSearchedAgain) {
  EXPECT_EQ(Replaced("<#X#>", "<#X#>", "<#X#><#X#>"), "<#X#><#X#>");
  // Text joined by a deletion is not rescanned by the same call.
  EXPECT_EQ(Replaced("<#<#X#>X#>", "<#X#>", ""), "<#X#>");
}

TEST(ReplaceAllTest, ComparisonIsExact) {
  EXPECT_EQ(Replaced("<#sitename#>", "<#SiteName#>", "x"), "<#sitename#>");
  EXPECT_EQ(Replaced("<#SiteName#", "<#SiteName#>", "x"), "<#SiteName#");
  // Bytes of the upper half are characters like any other.
  EXPECT_EQ(Replaced("\xE1\xC7<#X#>\xFF", "<#X#>", "\x9D"), "\xE1\xC7\x9D\xFF");
}

TEST(ReplaceAllTest, EmptyFindLeavesTextUnchanged) {
  EXPECT_EQ(Replaced("abc", "", "x"), "abc");
}

TEST(ReplaceAllTest, RowsShareTwoBuffers) {
  // Whatever an earlier row left in the spare buffer never shows, and the
  // two buffers change places only when a row occurs.
  PageText text = "<#A#>-<#B#>";
  PageText spare = "left over from an earlier row, longer than the page";
  ASSERT_TRUE(ReplaceAll(text, "<#A#>", "1", spare));
  EXPECT_EQ(text, "1-<#B#>");
  const PageText after_first = spare;
  ASSERT_TRUE(ReplaceAll(text, "<#C#>", "3", spare));
  EXPECT_EQ(text, "1-<#B#>");
  EXPECT_EQ(spare, after_first) << "a row that does not occur touches nothing";
  ASSERT_TRUE(ReplaceAll(text, "<#B#>", "22", spare));
  EXPECT_EQ(text, "1-22");
}

TEST(ReplaceAllTest, StopsAsSoonAsTheResultWouldPassTheLimit) {
  PageText spare;
  PageText text = "<#X#><#X#>";
  // Exactly at the limit is allowed.
  ASSERT_TRUE(ReplaceAll(text, "<#X#>", "12345", spare, 10));
  EXPECT_EQ(text, "1234512345");
  // One byte more is not, and the text stays as it was, wherever the limit
  // is passed: in the text before a match, in a replacement, or at the end.
  for (const PageText& page : {PageText("abcdefghijk<#X#>"),
                               PageText("<#X#>a<#X#>"), PageText("<#X#>abcdefghij")}) {
    text = page;
    EXPECT_FALSE(ReplaceAll(text, "<#X#>", "12345", spare, 10)) << page;
    EXPECT_EQ(text, page);
  }
  // A text already past the limit fails even where nothing is replaced.
  text = "abcdefghijk";
  EXPECT_FALSE(ReplaceAll(text, "<#X#>", "", spare, 10));
}
