#include "preview/replace_all.h"

#include <cassert>

#include "preview/search.h"

bool ReplaceAll(PageText& text, std::string_view find,
                std::string_view replacement, PageText& spare, size_t limit) {
  if (text.size() > limit) return false;
  if (find.empty()) return true;
  constexpr size_t npos = std::string_view::npos;
  const std::string_view in = text;
  const Pattern pattern = PreparePattern(find);
  const size_t first = FindText(in, pattern, 0);
  if (first == npos) return true;

  // The size is worked out first, so that the result takes one allocation (a
  // buffer grown by doubling briefly holds two copies) and one over the limit
  // is refused before it takes any. Only a longer replacement adds bytes.
  size_t size = text.size();
  if (replacement.size() > find.size()) {
    const size_t growth = replacement.size() - find.size();
    for (size_t hit = first; hit != npos;
         hit = FindText(in, pattern, hit + find.size())) {
      if (growth > limit - size) return false;  // size <= limit holds here
      size += growth;
    }
  }

  spare.clear();
  spare.reserve(size);
  size_t done = 0;
  for (size_t hit = first; hit != npos; hit = FindText(in, pattern, done)) {
    spare.append(in.substr(done, hit - done));
    spare.append(replacement);
    done = hit + find.size();
  }
  spare.append(in.substr(done));
  // The one allocation held the whole result, which is within the limit.
  assert(spare.size() <= size && spare.size() <= limit);
  text.swap(spare);
  return true;
}
