#include "app/terminal_text.h"

#include <gtest/gtest.h>

using namespace std::literals;

TEST(TerminalTextTest, LineBreaksBecomeTheTerminalsOwn) {
  EXPECT_EQ(TerminalText(u"header:\u200f\r\n\r\n<#A#>\r\n"),
            "header:\u200f\n\n<#A#>\n");
  // A final line break is added only where there is none.
  EXPECT_EQ(TerminalText(u"ok"), "ok\n");
  EXPECT_EQ(TerminalText(u""), "\n");
}

TEST(TerminalTextTest, NoControlCharacterReachesTheTerminal) {
  // An escape sequence, a lone carriage return that would go back to the
  // start of the line, backspace, bell, NUL and DEL each become U+FFFD;
  // tab and line feed stay.
  EXPECT_EQ(TerminalText(u"<#\x1b[2K\rok\b\a\0\x7f\t\n#>"sv),
            "<#\uFFFD[2K\uFFFDok\uFFFD\uFFFD\uFFFD\uFFFD\t\n#>\n");
  // Characters outside the control ranges pass, the upper half of the code
  // page included.
  EXPECT_EQ(TerminalText(u"\u00a0\u0645\u2026"), "\u00a0\u0645\u2026\n");
}

TEST(TerminalTextTest, DialogTextLosesOnlyNul) {
  EXPECT_EQ(DialogText(u"a\0b\r\n\x1b"sv), "a\uFFFDb\r\n\x1b");
  // An unpaired surrogate cannot be written as UTF-8.
  EXPECT_EQ(DialogText(u"\xd800x"), "\uFFFDx");
  EXPECT_EQ(DialogText(u"\U0001F600"), "\U0001F600");
}
