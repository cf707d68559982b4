#include "checks/other_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

TEST(SavedInAnotherEncodingTest, UnicodeTemplatesAreTold) {
  // "<p>سلام</p>" as today's editors save it.
  EXPECT_TRUE(
      SavedInAnotherEncoding("<p>\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85</p>"));
  // With a byte-order mark, even before ASCII alone.
  EXPECT_TRUE(SavedInAnotherEncoding("\xEF\xBB\xBF<p>x</p>"));
  EXPECT_TRUE(SavedInAnotherEncoding(std::string("\xFF\xFE<\0p\0", 6)));
  EXPECT_TRUE(SavedInAnotherEncoding(std::string("\xFE\xFF\0<\0p", 6)));
  // Sequences of three and four bytes: the Persian yeh's neighbours in
  // CJK, an emoji.
  EXPECT_TRUE(SavedInAnotherEncoding("a\xE4\xB8\x80 \xF0\x9F\x98\x80"));
}

TEST(SavedInAnotherEncodingTest, WindowsTemplatesPass) {
  EXPECT_FALSE(SavedInAnotherEncoding(""));
  EXPECT_FALSE(SavedInAnotherEncoding("<html><#SiteName#></html>"));
  EXPECT_FALSE(
      SavedInAnotherEncoding(Encoded(u"<p>سلام، اين يك متن فارسي است.</p>")));
  EXPECT_FALSE(SavedInAnotherEncoding(ReadFile(EXAMPLE_TEMPLATE)));
  EXPECT_FALSE(SavedInAnotherEncoding(TemplateWithEveryHighByte()));
}

TEST(SavedInAnotherEncodingTest, AlmostUtf8IsNotUtf8) {
  // One bad sequence anywhere makes it a Windows-1256 file after all:
  // overlong forms, surrogates, code points past U+10FFFF, a lead byte cut
  // short at the end, a lone continuation byte.
  for (const std::string tail :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xD8",
        "\xE4\xB8", "\x80", "\xFF"})
    EXPECT_FALSE(SavedInAnotherEncoding("\xD8\xB3 ok " + tail))
        << testing::PrintToString(tail);
}
