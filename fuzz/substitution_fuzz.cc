// Fuzzes the ordered replacement against ReplaceAll applied row by row.
//
// The input is split at zero bytes into a page, then finds and values, each
// decoded from Windows-1256. A find whose first byte is 0x01 is used as it
// is (which may send the rows the row-by-row way); any other find is made a
// tag: "<#" followed by its characters without "<". The same page also goes
// through the sample table and both loops, compared with the plain way.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/codepage.h"
#include "preview/loop.h"
#include "preview/replace_all.h"
#include "preview/sample_table.h"
#include "reference_pipeline.h"

namespace {

constexpr size_t kMaxRows = 12;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

std::u16string MakeFind(std::string_view raw) {
  if (!raw.empty() && raw[0] == '\x01') return DecodeWindows1256(raw.substr(1));
  std::u16string find = DecodeWindows1256(raw);
  std::erase(find, u'<');
  return u"<#" + find;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t zero = input.find('\0'); zero != std::string_view::npos;
       zero = input.find('\0', from)) {
    parts.push_back(input.substr(from, zero - from));
    from = zero + 1;
  }
  parts.push_back(input.substr(from));

  const std::u16string page = DecodeWindows1256(parts[0]);
  std::vector<std::u16string> finds, values;
  for (size_t i = 1; i + 1 < parts.size() && finds.size() < kMaxRows; i += 2) {
    finds.push_back(MakeFind(parts[i]));
    values.push_back(DecodeWindows1256(parts[i + 1]));
  }
  std::vector<Substitution> rows;
  for (size_t r = 0; r < finds.size(); ++r) rows.push_back({finds[r], values[r]});

  std::u16string plain = page;
  for (const Substitution& row : rows)
    plain = ReplaceAll(plain, row.find, row.replacement);
  Require(ReplaceAllInOrder(page, rows) == plain, "rows in order as row by row");

  Require(ApplySampleTable(page) == ReferenceSampleTable(page),
          "sample table as row by row");
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop})
    Require(ExpandLoop(page, *loop) == ReferenceExpandLoop(page, *loop),
            "loop expansion as row by row");
  return 0;
}
