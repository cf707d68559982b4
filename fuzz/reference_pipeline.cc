#include "reference_pipeline.h"

#include "app/codepage.h"
#include "app/messages.h"
#include "checks/unknown_tags.h"
#include "preview/replace_all.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"

namespace {

constexpr size_t npos = std::u16string_view::npos;

std::optional<std::u16string> ReferenceLoopText(std::u16string_view page,
                                                std::u16string_view name) {
  const std::u16string start = LoopStartMarker(name);
  const std::u16string end = LoopEndMarker(name);
  const size_t s = page.find(start);
  if (s == npos || page.find(end) == npos) return std::u16string();
  const std::u16string_view rest = page.substr(s + start.size());
  const size_t e = rest.find(end);
  if (e == npos) return std::nullopt;
  return std::u16string(rest.substr(0, e));
}

PreviewOutcome Failure(std::u16string message) {
  return {std::move(message), MessageIcon::kError, std::nullopt};
}

}  // namespace

std::u16string ReferenceSampleTable(std::u16string_view page) {
  std::u16string result(page);
  for (const SampleRow& row : SampleTable)
    result = ReplaceAll(result, row.tag, row.value);
  return result;
}

std::optional<std::u16string> ReferenceExpandLoop(std::u16string_view page,
                                                  const LoopDescription& loop) {
  const std::optional<std::u16string> body = ReferenceLoopText(page, loop.name);
  if (!body) return std::nullopt;
  std::u16string copies;
  for (size_t k = 1; k < loop.entries.size(); ++k) {
    std::u16string copy = *body;
    for (size_t f = 0; f < loop.fields.size(); ++f)
      copy = ReplaceAll(copy, loop.fields[f], loop.entries[k][f]);
    copies += copy;
  }
  std::u16string result = ReplaceAll(page, LoopStartMarker(loop.name), u"");
  result = ReplaceAll(result, LoopEndMarker(loop.name), copies);
  for (size_t f = 0; f < loop.fields.size(); ++f)
    result = ReplaceAll(result, loop.fields[f], loop.entries[0][f]);
  return result;
}

PreviewOutcome ReferencePreview(std::string_view template_bytes) {
  std::u16string page = DecodeWindows1256(template_bytes);
  if (page.empty()) return Failure(std::u16string(kCannotOpenMessage));
  page = ReferenceSampleTable(page);
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    std::optional<std::u16string> expanded = ReferenceExpandLoop(page, *loop);
    if (!expanded)
      return Failure(ReportMessage(kMisorderedLoopHeader,
                                   LoopEndMarker(loop->name) + u"\r\n"));
    page = std::move(*expanded);
  }
  page = AppendTestPanel(page);
  const std::u16string unknown = FindUnknownTags(page);
  if (!unknown.empty()) return Failure(ReportMessage(kUnknownTagsHeader, unknown));
  std::optional<std::string> bytes = EncodeWindows1256(page);
  if (!bytes) return Failure(std::u16string(kNotCreatedMessage));
  return {std::u16string(kCreatedMessage), MessageIcon::kInformation,
          std::move(bytes)};
}
