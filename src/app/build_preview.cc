#include "app/build_preview.h"

#include <utility>

#include "app/codepage.h"
#include "app/messages.h"
#include "checks/missing_tags.h"
#include "checks/unknown_tags.h"
#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"

namespace {

PreviewOutcome Failure(std::u16string message) {
  return {std::move(message), MessageIcon::kError, std::nullopt};
}

}  // namespace

PreviewOutcome BuildPreview(PageText page) {
  if (page.empty()) return Failure(std::u16string(kCannotOpenMessage));

  // None of the names in TagNameList or BlockNameList is a tag this tool
  // fills, so requiring any of them would stop every template that uses one
  // at the unknown-tag scan. Until those tags are filled, walk no names.
  const std::u16string missing = FindMissingTags(page, "");
  if (!missing.empty())
    return Failure(ReportMessage(kMissingTagsHeader, missing));

  page = ApplySampleTable(std::move(page));
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    std::optional<PageText> expanded = ExpandLoop(std::move(page), *loop);
    if (!expanded)
      return Failure(ReportMessage(
          kMisorderedLoopHeader,
          DecodeWindows1256(LoopEndMarker(loop->name)) + u"\r\n"));
    page = std::move(*expanded);
  }
  page = AppendTestPanel(std::move(page));

  const std::u16string unknown = FindUnknownTags(page);
  if (!unknown.empty())
    return Failure(ReportMessage(kUnknownTagsHeader, unknown));

  return {std::u16string(kCreatedMessage), MessageIcon::kInformation,
          std::move(page)};
}
