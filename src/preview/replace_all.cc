#include "preview/replace_all.h"

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement) {
  if (find.empty()) return std::u16string(text);
  size_t hit = text.find(find);
  if (hit == std::u16string_view::npos) return std::u16string(text);

  std::u16string out;
  out.reserve(text.size());
  size_t done = 0;
  while (hit != std::u16string_view::npos) {
    out.append(text.substr(done, hit - done));
    out.append(replacement);
    done = hit + find.size();
    hit = text.find(find, done);
  }
  out.append(text.substr(done));
  return out;
}
