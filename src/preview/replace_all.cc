#include "preview/replace_all.h"

#include "preview/search.h"

void ReplaceAll(PageText& text, std::string_view find,
                std::string_view replacement, PageText& spare) {
  if (find.empty()) return;
  const std::string_view in = text;
  size_t hit = FindText(in, find, 0);
  if (hit == std::string_view::npos) return;

  // Room for a result as long as the text from the start: grown piece by
  // piece instead, the buffer would be copied at every doubling, and the
  // copies would briefly hold the page three times over.
  spare.clear();
  spare.reserve(text.size());
  size_t done = 0;
  while (hit != std::string_view::npos) {
    spare.append(in.substr(done, hit - done));
    spare.append(replacement);
    done = hit + find.size();
    hit = FindText(in, find, done);
  }
  spare.append(in.substr(done));
  text.swap(spare);
}
