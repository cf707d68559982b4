#include "checks/declared_charset.h"

#include <algorithm>

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr std::string_view kSpace = "\t\n\f\r ";
constexpr std::string_view kNameEnds = "\t\n\f\r />";

// Elements whose text the tokenizer reads as text, tags and all, up to their
// end tag; noscript too, since a preview runs its scripts.
constexpr std::string_view kRawText[] = {"script",   "style",    "title",
                                         "textarea", "xmp",      "iframe",
                                         "noembed",  "noframes", "noscript"};

// `text` is `lower` in any case (ASCII letters only).
bool SameLetters(std::string_view text, std::string_view lower) {
  return std::ranges::equal(text, lower, [](char t, char l) {
    return (t >= 'A' && t <= 'Z' ? t - 'A' + 'a' : t) == l;
  });
}

bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

std::string_view Trimmed(std::string_view text) {
  const size_t first = std::min(text.find_first_not_of(kSpace), text.size());
  return text.substr(first, text.find_last_not_of(kSpace) + 1 - first);
}

// The position after the first `c` from `from`; npos when there is none.
size_t After(std::string_view page, char c, size_t from) {
  const size_t found = page.find(c, from);
  return found == npos ? npos : found + 1;
}

// The position after the comment that "<!--" opens at `at`.
size_t CommentEnd(std::string_view page, size_t at) {
  if (page.substr(at + 4).starts_with('>')) return at + 5;   // "<!-->"
  if (page.substr(at + 4).starts_with("->")) return at + 6;  // "<!--->"
  for (at = page.find("--", at + 4); at != npos; at = page.find("--", at + 1)) {
    if (page.substr(at + 2).starts_with('>')) return at + 3;
    if (page.substr(at + 2).starts_with("!>")) return at + 4;
  }
  return npos;
}

// The position of the end tag that closes the raw text of `name` from `at`:
// "</", the name in any case, then white space, "/" or ">".
size_t RawTextEnd(std::string_view page, size_t at, std::string_view name) {
  for (at = page.find("</", at); at != npos; at = page.find("</", at + 2)) {
    const size_t after = at + 2 + name.size();
    if (SameLetters(page.substr(at + 2, name.size()), name) &&
        after < page.size() && kNameEnds.find(page[after]) != npos)
      return at;
  }
  return npos;
}

// Keeps the first label, or the first that is not Windows-1256.
void Keep(std::optional<std::string_view>& kept,
          std::optional<std::string_view> label) {
  if (label && (!kept || (IsWindows1256(*kept) && !IsWindows1256(*label))))
    kept = label;
}

// The value that starts at `at`: quoted, or up to one of `ends` or the
// text's end. Moves `at` past it, or to npos when its quote never closes.
std::string_view ValueAt(std::string_view text, size_t& at,
                         std::string_view ends) {
  const bool quoted = text[at] == '"' || text[at] == '\'';
  const size_t from = at + quoted;
  const size_t end =
      quoted ? text.find(text[at], from)
             : std::min(text.find_first_of(ends, from), text.size());
  at = end == npos ? npos : end + quoted;
  return text.substr(from, end == npos ? 0 : end - from);
}

// The label after "charset=" in an http-equiv declaration's content.
std::optional<std::string_view> LabelInContent(std::string_view content) {
  for (size_t at = 0; at < content.size(); ++at) {
    if (!SameLetters(content.substr(at, 7), "charset")) continue;
    size_t value = content.find_first_not_of(kSpace, at + 7);
    if (value == npos || content[value] != '=') continue;
    value = content.find_first_not_of(kSpace, value + 1);
    if (value == npos) return std::nullopt;
    const std::string_view label = ValueAt(content, value, "\t\n\f\r ;");
    return value == npos ? std::nullopt : std::optional(Trimmed(label));
  }
  return std::nullopt;
}

// Reads the attributes from `at` to the tag's ">", and for a <meta> what it
// declares into `label`. Gives the position after the tag, or npos when the
// page ends inside it: browsers then drop the tag.
size_t ReadAttributes(std::string_view page, size_t at, bool meta,
                      std::optional<std::string_view>& label) {
  std::optional<std::string_view> content;
  bool content_type = false;
  while ((at = page.find_first_not_of("\t\n\f\r /", at)) != npos &&
         page[at] != '>') {
    // A name ends at white space, "/", ">", or an "=" that is not its first.
    const size_t end =
        std::min(page.find_first_of("\t\n\f\r />=", at + 1), page.size());
    const std::string_view name = page.substr(at, end - at);
    const size_t equals = page.find_first_not_of(kSpace, end);
    std::string_view value;
    at = end;
    if (equals != npos && page[equals] == '=' &&
        (at = page.find_first_not_of(kSpace, equals + 1)) != npos)
      value = ValueAt(page, at, "\t\n\f\r >");
    if (!meta) continue;
    if (SameLetters(name, "charset")) Keep(label, Trimmed(value));
    content_type |=
        SameLetters(name, "http-equiv") && SameLetters(value, "content-type");
    if (SameLetters(name, "content")) Keep(content, LabelInContent(value));
  }
  if (content_type) Keep(label, content);
  return at == npos ? npos : at + 1;
}

}  // namespace

std::optional<std::string_view> DeclaredCharset(std::string_view page) {
  for (size_t at = page.find('<'); at != npos; at = page.find('<', at)) {
    const std::string_view next = page.substr(at + 1, 2);
    const bool end = next.size() == 2 && next[0] == '/' && IsLetter(next[1]);
    if (page.substr(at, 4) == "<!--") {
      at = CommentEnd(page, at);
    } else if (!end && (next.starts_with('!') || next.starts_with('?') ||
                        next.starts_with('/'))) {
      at = page.find('>', at + 2);  // a doctype or a bogus comment
    } else if (!end && (next.empty() || !IsLetter(next[0]))) {
      ++at;  // text
    } else {
      const size_t from = at + 1 + end;
      const size_t to =
          std::min(page.find_first_of(kNameEnds, from), page.size());
      const std::string_view name = page.substr(from, to - from);
      if (!end && (SameLetters(name, "body") || SameLetters(name, "plaintext")))
        break;
      std::optional<std::string_view> label;
      at = ReadAttributes(page, to, !end && SameLetters(name, "meta"), label);
      if (at != npos && label) return label;
      for (const std::string_view raw : kRawText)
        if (!end && at != npos && SameLetters(name, raw))
          at = RawTextEnd(page, at, raw);
    }
  }
  return std::nullopt;
}

bool IsWindows1256(std::string_view label) {
  return SameLetters(label, "windows-1256") || SameLetters(label, "cp1256") ||
         SameLetters(label, "x-cp1256");
}

size_t CharsetPlace(std::string_view page) {
  size_t at = page.find_first_not_of(kSpace);
  while (at != npos &&
         (page.substr(at, 4) == "<!--" || page.substr(at, 2) == "<?"))
    at = page.find_first_not_of(kSpace, page[at + 1] == '?'
                                            ? After(page, '>', at)
                                            : CommentEnd(page, at));
  const size_t end = at == npos ? npos : After(page, '>', at);
  return end != npos && SameLetters(page.substr(at, 9), "<!doctype") ? end : 0;
}
