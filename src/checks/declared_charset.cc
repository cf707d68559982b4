#include "checks/declared_charset.h"

#include <algorithm>

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr std::string_view kSpace = "\t\n\f\r ";

// `text` is `lower` in any case (ASCII letters only).
bool SameLetters(std::string_view text, std::string_view lower) {
  return std::ranges::equal(text, lower, [](char t, char l) {
    return (t >= 'A' && t <= 'Z' ? t - 'A' + 'a' : t) == l;
  });
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = std::min(text.find_first_not_of(kSpace), text.size());
  return text.substr(first, text.find_last_not_of(kSpace) + 1 - first);
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

// What the <meta> whose attributes begin at `at` declares. Moves `at` past
// the tag, or to npos when the page ends inside it.
std::optional<std::string_view> MetaLabel(std::string_view page, size_t& at) {
  std::optional<std::string_view> charset, http_equiv, content, other;
  while ((at = page.find_first_not_of("\t\n\f\r /", at)) != npos &&
         page[at] != '>') {
    // A name ends at white space, "/", ">", or an "=" that is not its first.
    const size_t end =
        std::min(page.find_first_of("\t\n\f\r />=", at + 1), page.size());
    const std::string_view name = page.substr(at, end - at);
    auto& slot = SameLetters(name, "charset")      ? charset
                 : SameLetters(name, "http-equiv") ? http_equiv
                 : SameLetters(name, "content")    ? content
                                                   : other;
    const size_t equals = page.find_first_not_of(kSpace, end);
    std::string_view value;
    at = end;
    if (equals != npos && page[equals] == '=' &&
        (at = page.find_first_not_of(kSpace, equals + 1)) != npos)
      value = ValueAt(page, at, "\t\n\f\r >");
    if (!slot) slot = value;  // browsers keep a name's first value
  }
  if (at == npos) return std::nullopt;  // browsers drop an unclosed tag
  if (charset) return Trimmed(*charset);
  if (http_equiv && content && SameLetters(*http_equiv, "content-type"))
    return LabelInContent(*content);
  return std::nullopt;
}

std::optional<std::string_view> DeclaredCharset(std::string_view page) {
  for (size_t at = page.find('<'); at != npos; at = page.find('<', at + 1)) {
    if (page.substr(at, 4) == "<!--") {
      at = page.find("-->", at + 2);  // "<!-->" is a whole comment too
    } else if (SameLetters(page.substr(at, 5), "<body")) {
      break;
    } else if (SameLetters(page.substr(at, 5), "<meta") &&
               page.find_first_of("\t\n\f\r /", at + 5) == at + 5) {
      at += 5;
      if (const auto label = MetaLabel(page, at)) return label;
    }
    if (at == npos) break;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string_view> ForeignCharset(std::string_view page) {
  const std::optional<std::string_view> label = DeclaredCharset(page);
  if (!label || SameLetters(*label, "windows-1256") ||
      SameLetters(*label, "cp1256") || SameLetters(*label, "x-cp1256"))
    return std::nullopt;
  return label;
}
