#include "text/codepage.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

}  // namespace

TEST(CodePageTest, EveryByteDecodesToADistinctCharacterAndBack) {
  const std::u16string text = DecodeWindows1256(AllBytes());
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()).size(), 256u);
  for (int b = 0; b < 0x80; ++b) EXPECT_EQ(text[b], b);
  EXPECT_EQ(EncodeWindows1256(text), AllBytes());
}

TEST(CodePageTest, KnownCharacters) {
  // Letters the program's own texts are written with, and the marks.
  EXPECT_EQ(DecodeWindows1256("\xED\xDF\x90\x81\x8D\x8E"),
            u"\u064a\u0643\u06af\u067e\u0686\u0698");
  EXPECT_EQ(DecodeWindows1256("\x9D\xFD\xFE\x85\x80"),
            u"\u200c\u200e\u200f\u2026\u20ac");
}

TEST(CodePageTest, CharactersOutsideTheCodePageAreRejected) {
  // Persian yeh has no byte here; only the Arabic one has.
  EXPECT_EQ(EncodeWindows1256(u"\u06cc"), std::nullopt);
  EXPECT_EQ(EncodeWindows1256(u"ok\u0100"), std::nullopt);
  EXPECT_EQ(EncodeWindows1256(u"\u2122\u2200"), std::nullopt);
  EXPECT_EQ(EncodeWindows1256(u"\xFFFF"), std::nullopt);
  EXPECT_EQ(EncodeWindows1256(u"\xD800"), std::nullopt);
  EXPECT_EQ(EncodeWindows1256(u""), std::string());
}
