// The message box's text as UTF-8, for the two places that show it on Linux.
// The text may quote any byte of a template, so each keeps out what that
// place would take for something other than text. Every line of either begins
// with U+200E LEFT-TO-RIGHT MARK: the texts are ordered for a left-to-right
// box, and GTK and terminals with bidirectional support lay out right to left
// a line that begins with a Persian letter.
#pragma once

#include <string>
#include <string_view>

// For a terminal: each "\r\n" becomes "\n", and every other control
// character but tab and line feed (C0 and DEL) becomes U+FFFD, so that no
// escape sequence or carriage return from a template can move the cursor or
// overwrite what is shown. Ends with a line break.
std::string TerminalText(std::u16string_view text);

// For a dialog program's argument: NUL, which would end it, becomes U+FFFD.
std::string DialogText(std::u16string_view text);
