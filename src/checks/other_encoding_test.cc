#include "checks/other_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

// `text` as UTF-16 without a byte-order mark, little- or big-endian.
std::string Utf16(std::u16string_view text, bool little_endian) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF),
               high = static_cast<char>(unit >> 8);
    bytes += little_endian ? low : high;
    bytes += little_endian ? high : low;
  }
  return bytes;
}

}  // namespace

TEST(SavedInAnotherEncodingTest, UnicodeTemplatesAreTold) {
  // "<p>سلام</p>" as today's editors save it.
  EXPECT_TRUE(
      SavedInAnotherEncoding("<p>\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85</p>"));
  // With a byte-order mark, even before ASCII alone.
  EXPECT_TRUE(SavedInAnotherEncoding("\xEF\xBB\xBF<p>x</p>"));
  EXPECT_TRUE(SavedInAnotherEncoding(std::string("\xFF\xFE<\0p\0", 6)));
  EXPECT_TRUE(SavedInAnotherEncoding(std::string("\xFE\xFF\0<\0p", 6)));
  // Persian among other characters of several bytes: a zero-width
  // non-joiner, guillemets, an emoji.
  EXPECT_TRUE(
      SavedInAnotherEncoding(Utf8(u"<p>«نمونه\u200cها» و \U0001F600</p>")));
  // UTF-16 without a mark, either way round, Persian or not.
  for (const bool little_endian : {true, false}) {
    EXPECT_TRUE(SavedInAnotherEncoding(Utf16(u"<p>سلام</p>", little_endian)));
    EXPECT_TRUE(SavedInAnotherEncoding(Utf16(u"<html></html>", little_endian)));
  }
}

TEST(SavedInAnotherEncodingTest, WindowsTemplatesPass) {
  EXPECT_FALSE(SavedInAnotherEncoding(""));
  EXPECT_FALSE(SavedInAnotherEncoding("<html><#SiteName#></html>"));
  EXPECT_FALSE(SavedInAnotherEncoding(Encoded(u"<p>سلام</p>")));
  EXPECT_FALSE(
      SavedInAnotherEncoding(Encoded(u"<p>سلام، اين يك متن فارسي است.</p>")));
  // Short words whose bytes pair into valid UTF-8, of other scripts.
  for (const std::u16string_view word : {u"تک", u"شک", u"سگ", u"رگ", u"اگ"})
    EXPECT_FALSE(SavedInAnotherEncoding(
        Encoded(u"<p>" + std::u16string(word) + u"</p>")))
        << Utf8(word);
  // A stray NUL is no UTF-16.
  EXPECT_FALSE(SavedInAnotherEncoding(std::string("<p>x\0</p>", 9)));
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
