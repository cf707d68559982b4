#include "app/terminal_text.h"

#include "text/utf8.h"

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLeftToRightMark = 0x200E;

std::string TerminalText(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (out.empty() || out.back() == '\n') AppendUtf8(out, kLeftToRightMark);
    const char32_t c = NextCharacter(text, i);
    if (c == '\r' && i < text.size() && text[i] == '\n') continue;
    const bool control = c < 0x20 || c == 0x7F;
    AppendUtf8(out, control && c != '\t' && c != '\n' ? kReplacement : c);
  }
  if (out.empty() || out.back() != '\n') out += '\n';
  return out;
}

std::string DialogText(std::u16string_view text) {
  std::string out;
  bool line_starts = true;
  for (size_t i = 0; i < text.size();) {
    if (line_starts) AppendUtf8(out, kLeftToRightMark);
    const char32_t c = NextCharacter(text, i);
    AppendUtf8(out, c == 0 ? kReplacement : c);
    // What GTK takes for the end of a paragraph; "\r\n" is one.
    const bool lone_return = c == '\r' && (i == text.size() || text[i] != '\n');
    line_starts = c == '\n' || c == 0x2029 || lone_return;
  }
  return out;
}
