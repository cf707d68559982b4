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
  // Mostly English, a Persian site name among typography or emoji.
  EXPECT_TRUE(
      SavedInAnotherEncoding(Utf8(u"<p>“Hi” — it’s… © 2024 · وبلاگ من</p>")));
  EXPECT_TRUE(
      SavedInAnotherEncoding(Utf8(u"<b>وبلاگ من</b> 😀🎉👍😀"
                                  u"🎉👍😀🎉")));
  // Persian digits and letters only Persian has.
  EXPECT_TRUE(SavedInAnotherEncoding(Utf8(u"<p>۱۲۳ یک</p>")));
  // Its letters lost to an editor that read Windows-1256 as UTF-8.
  EXPECT_TRUE(SavedInAnotherEncoding(
      Utf8(u"<h2>\uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD</h2>")));
  // A stray Latin-1 byte, a last character cut short.
  const std::string persian = Utf8(u"<p>سلام، اين يك متن فارسي است");
  EXPECT_TRUE(SavedInAnotherEncoding(persian + "é" + persian));
  EXPECT_TRUE(SavedInAnotherEncoding(persian + "Ø"));
  // UTF-16 without a mark, either way round, Persian or not, of odd length
  // too; and mostly Persian, which only its mark tells.
  for (const bool little_endian : {true, false}) {
    EXPECT_TRUE(SavedInAnotherEncoding(Utf16(u"<p>سلام</p>", little_endian)));
    EXPECT_TRUE(SavedInAnotherEncoding(Utf16(u"<html></html>", little_endian)));
    EXPECT_TRUE(
        SavedInAnotherEncoding(Utf16(u"<p>سلام</p>", little_endian) + "x"));
    // 9 of 23 characters ASCII: less than half of one half NUL.
    EXPECT_TRUE(SavedInAnotherEncoding(
        Utf16(u"<p>سلام دوستان عزيز</p>", little_endian)));
    EXPECT_TRUE(
        SavedInAnotherEncoding((little_endian ? "\xFF\xFE" : "\xFE\xFF") +
                               Utf16(u"سلام، دوستان", little_endian)));
  }
}

TEST(SavedInAnotherEncodingTest, WindowsTemplatesPass) {
  EXPECT_FALSE(SavedInAnotherEncoding(""));
  EXPECT_FALSE(SavedInAnotherEncoding("<html><#SiteName#></html>"));
  EXPECT_FALSE(SavedInAnotherEncoding(Encoded(u"<p>سلام</p>")));
  EXPECT_FALSE(
      SavedInAnotherEncoding(Encoded(u"<p>سلام، اين يك متن فارسي است.</p>")));
  // Short words whose bytes pair into valid UTF-8, one of them to an Arabic
  // letter ("عک" in "عکس"), and one that would if C8 continued D8.
  for (const std::u16string_view word :
       {u"تک", u"شک", u"سگ", u"رگ", u"اگ", u"عکس", u"طب"})
    EXPECT_FALSE(SavedInAnotherEncoding(
        Encoded(u"<p>" + std::u16string(word) + u"</p>")))
        << Utf8(word);
  // A stray NUL is no UTF-16.
  EXPECT_FALSE(SavedInAnotherEncoding(std::string("<p>x\0</p>", 9)));
  EXPECT_FALSE(SavedInAnotherEncoding(ReadFile(EXAMPLE_TEMPLATE)));
  EXPECT_FALSE(SavedInAnotherEncoding(TemplateWithEveryHighByte()));
}

TEST(SavedInAnotherEncodingTest, AlmostUtf8IsNotUtf8) {
  // Two Arabic letters are not enough beside one bad sequence: overlong
  // forms, surrogates, code points past U+10FFFF, a lead byte cut short, a
  // lone continuation byte. Taken for UTF-8, each would tip the page over.
  for (const std::string tail :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xD8",
        "\xE4\xB8", "\xE4\xB8x", "\xC8x", "\x80", "\xFF"})
    EXPECT_FALSE(SavedInAnotherEncoding("\xD8\xB3\xD9\x84 ok " + tail))
        << testing::PrintToString(tail);
}

TEST(SavedInAnotherEncodingTest, NoPersianWordAloneIsRefused) {
  // Debian's Persian spelling dictionary (myspell-fa, which the test command
  // installs): every word on a page of its own, written as the designer's
  // guide has it: Arabic yeh, and for the hamza above heh a zero-width
  // non-joiner and yeh.
  const std::string words = ReadFile("/usr/share/hunspell/fa_IR.dic");
  if (words.empty()) GTEST_SKIP() << "no /usr/share/hunspell/fa_IR.dic";
  size_t count = 0, refused = 0;
  for (size_t at = words.find('\n') + 1; at < words.size(); ++count) {
    std::u16string word;  // up to the line's end, from UTF-8
    for (; at < words.size() && words[at] != '\n';) {
      const auto lead = static_cast<unsigned char>(words[at++]);
      char16_t c = lead < 0x80 ? lead : lead & (lead < 0xE0 ? 0x1F : 0x0F);
      for (int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : 2; more > 0; --more)
        c = static_cast<char16_t>(c << 6 | (words[at++] & 0x3F));
      word += c == u'ی'        ? u"ي"
              : c == u'\u0654' ? u"\u200cي"
              : c == u'ۀ'      ? u"ه\u200cي"
                               : std::u16string(1, c);
    }
    ++at;
    const std::optional<std::string> page = EncodeWindows1256(word);
    if (!page || SavedInAnotherEncoding("<p>" + *page + "</p>"))
      if (++refused < 10) ADD_FAILURE() << Utf8(word);
  }
  EXPECT_GT(count, 300000u);
  EXPECT_EQ(refused, 0u);
}
