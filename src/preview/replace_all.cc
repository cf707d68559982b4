#include "preview/replace_all.h"

#include <algorithm>
#include <cassert>

#include "preview/search.h"

bool ReplaceAll(PageText& text, std::string_view find,
                std::string_view replacement, PageText& spare, size_t limit) {
  if (find.empty()) return text.size() <= limit;
  const std::string_view in = text;
  const Pattern pattern = PreparePattern(find);
  size_t hit = FindText(in, pattern, 0);
  if (hit == std::string_view::npos) return text.size() <= limit;

  // Room for a result as long as the text from the start: grown piece by
  // piece instead, the buffer would be copied at every doubling, and the
  // copies would briefly hold the page three times over.
  spare.clear();
  spare.reserve(std::min(text.size(), limit));
  size_t done = 0;
  for (; hit != std::string_view::npos; hit = FindText(in, pattern, done)) {
    // spare.size() <= limit holds throughout, so the room left cannot wrap.
    assert(spare.size() <= limit);
    if (hit - done > limit - spare.size() ||
        replacement.size() > limit - spare.size() - (hit - done))
      return false;
    spare.append(in.substr(done, hit - done));
    spare.append(replacement);
    done = hit + find.size();
  }
  if (in.size() - done > limit - spare.size()) return false;
  spare.append(in.substr(done));
  text.swap(spare);
  return true;
}
