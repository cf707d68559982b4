#include "app/terminal_text.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The texts are ordered for a left-to-right box, which GTK and terminals
// with bidirectional support would lay out right to left wherever a line
// begins with a Persian letter; this mark at its start keeps it left to
// right, and is invisible everywhere else.
constexpr char32_t kLeftToRightMark = 0x200E;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character at `i`, joining a surrogate pair; moves `i` past it. An
// unpaired surrogate cannot be written as UTF-8 and becomes U+FFFD.
char32_t Next(std::u16string_view text, size_t& i) {
  const char32_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 &&
      text[i] < 0xE000)
    return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  return c >= 0xD800 && c < 0xE000 ? kReplacement : c;
}

}  // namespace

std::string TerminalText(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (out.empty() || out.back() == '\n') AppendUtf8(out, kLeftToRightMark);
    if (text.substr(i, 2) == u"\r\n") {
      out += '\n';
      i += 2;
      continue;
    }
    const char32_t c = Next(text, i);
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
    const char32_t c = Next(text, i);
    AppendUtf8(out, c == 0 ? kReplacement : c);
    // What GTK takes for the end of a paragraph; "\r\n" is one.
    const bool lone_return = c == '\r' && (i == text.size() || text[i] != '\n');
    line_starts = c == '\n' || c == 0x2029 || lone_return;
  }
  return out;
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) AppendUtf8(out, Next(text, i));
  return out;
}
