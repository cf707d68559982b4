// Templates built to break a run, shared by the Linux and Windows tests.
#pragma once

#include <string>

// 7,646 bytes whose loop copies would make 800 MB: each of the 200 menu end
// markers receives copies of 200 text-list end markers, and each of those
// the text list's copies.
inline std::string LoopCopiesPastTheLimit() {
  std::string page = "<#Loop:TextList#>" + std::string(2000, 'z') +
                     "<#End:TextList#><#Loop:Menu#>";
  for (int i = 0; i < 200; ++i) page += "<#End:TextList#>";
  for (int i = 0; i < 200; ++i) page += "<#End:Menu#>";
  return page;
}
