#include "preview/search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr size_t npos = std::string_view::npos;

// Random text over a few letters, so that partial matches and pairs of
// equal hash are everywhere.
std::string RandomText(std::mt19937& random, size_t size,
                       std::string_view letters) {
  std::string text(size, ' ');
  std::uniform_int_distribution<size_t> pick(0, letters.size() - 1);
  for (char& c : text) c = letters[pick(random)];
  return text;
}

// One search, prepared afresh.
size_t Find(std::string_view text, std::string_view pattern, size_t from) {
  return FindText(text, PreparePattern(pattern), from);
}

}  // namespace

TEST(FindTextTest, FindsTagsWhereTheyStand) {
  const std::string page = "<p><#SiteName#> <#SiteName#>x<#SiteNam#></p>";
  EXPECT_EQ(Find(page, "<#SiteName#>", 0), 3u);
  EXPECT_EQ(Find(page, "<#SiteName#>", 4), 16u);
  EXPECT_EQ(Find(page, "<#SiteName#>", 17), npos);
  EXPECT_EQ(Find(page, "<#SiteNam#>", 0), 29u);
  // At the very start and the very end, and a pattern longer than the text.
  EXPECT_EQ(Find("<#A#>", "<#A#>", 0), 0u);
  EXPECT_EQ(Find("xx<#A#>", "<#A#>", 2), 2u);
  EXPECT_EQ(Find("<#A#", "<#A#>", 0), npos);
  EXPECT_EQ(Find("<#A#>", "<#A#>", 6), npos);
}

TEST(FindTextTest, SameAsStringFindOnRandomTexts) {
  std::mt19937 random(7);
  // Lengths on both sides of where the skipping search takes over (3) and
  // of the longest pattern it handles (255).
  for (const size_t length : {1u, 2u, 3u, 4u, 5u, 8u, 13u, 254u, 255u, 256u, 300u}) {
    for (std::string_view letters : {"ab", "<#>", "<#>aZ\xE1"}) {
      for (int round = 0; round < 40; ++round) {
        const std::string text = RandomText(random, 1 + random() % 2000, letters);
        // Half of the patterns are cut from the text, so they occur.
        std::string pattern = RandomText(random, length, letters);
        if (round % 2 == 0 && text.size() >= length)
          pattern = text.substr(random() % (text.size() - length + 1), length);
        for (size_t from = 0; from <= text.size() + 1; from += 1 + random() % 97) {
          ASSERT_EQ(Find(text, pattern, from), text.find(pattern, from))
              << "length " << length << " from " << from << "\ntext " << text
              << "\npattern " << pattern;
        }
      }
    }
  }
}

TEST(FindTextTest, EveryOccurrenceOfARepeatedPatternIsFound) {
  // A pattern whose last pair also stands earlier in it: after a window
  // that ends like it but does not match, the search must not skip past
  // an overlapping occurrence.
  const std::string pattern = "#>a#>b#>";
  std::string text;
  for (int i = 0; i < 50; ++i) text += "#>a#>a#>b#>b#>";
  const Pattern prepared = PreparePattern(pattern);
  size_t expected = text.find(pattern), found = FindText(text, prepared, 0);
  for (; expected != npos; expected = text.find(pattern, expected + 1),
                           found = FindText(text, prepared, found + 1))
    ASSERT_EQ(found, expected);
  EXPECT_EQ(found, npos);
}
