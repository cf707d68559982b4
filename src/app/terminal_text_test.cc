#include "app/terminal_text.h"

#include <gtest/gtest.h>

using namespace std::literals;

// Every line shown on Linux begins with U+200E LEFT-TO-RIGHT MARK.
#define LRM "\u200e"

TEST(TerminalTextTest, LineBreaksBecomeTheTerminalsOwn) {
  EXPECT_EQ(TerminalText(u"header:\u200f\r\n\r\n<#A#>\r\n"),
            LRM "header:\u200f\n" LRM "\n" LRM "<#A#>\n");
  // A final line break is added only where there is none.
  EXPECT_EQ(TerminalText(u"ok"), LRM "ok\n");
  EXPECT_EQ(TerminalText(u""), "\n");
}

TEST(TerminalTextTest, NoControlCharacterReachesTheTerminal) {
  // An escape sequence, a lone carriage return that would go back to the
  // start of the line, backspace, bell, NUL and DEL each become U+FFFD;
  // tab and line feed stay, and the line feed starts a line of its own.
  EXPECT_EQ(TerminalText(u"<#\x1b[2K\rok\b\a\0\x7f\t\n#>"sv),
            LRM "<#\uFFFD[2K\uFFFDok\uFFFD\uFFFD\uFFFD\uFFFD\t\n" LRM "#>\n");
  // Characters outside the control ranges pass, the upper half of the code
  // page included.
  EXPECT_EQ(TerminalText(u"\u00a0\u0645\u2026"), LRM "\u00a0\u0645\u2026\n");
}

TEST(TerminalTextTest, DialogTextLosesOnlyNulAndMarksEveryLine) {
  // GTK ends a paragraph at "\r\n", "\r", "\n" and U+2029; each that text
  // follows starts a line with its mark.
  EXPECT_EQ(DialogText(u"a\0b\r\nc\rd\ne\u2029f\x1b\r\n"sv),
            LRM "a\uFFFDb\r\n" LRM "c\r" LRM "d\n" LRM "e\u2029" LRM "f\x1b\r\n");
  EXPECT_EQ(DialogText(u"\r\n\r\nx"), LRM "\r\n" LRM "\r\n" LRM "x");
  // An unpaired surrogate cannot be written as UTF-8.
  EXPECT_EQ(DialogText(u"\xd800x"), LRM "\uFFFDx");
  EXPECT_EQ(DialogText(u"\U0001F600"), LRM "\U0001F600");
}
