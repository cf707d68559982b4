#include "pipeline/build_preview.h"

#include <utility>

#include "checks/declared_charset.h"
#include "checks/missing_tags.h"
#include "checks/other_encoding.h"
#include "checks/unknown_tags.h"
#include "pipeline/messages.h"
#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"
#include "text/codepage.h"

namespace {

PreviewOutcome Failure(std::u16string_view message) {
  return {std::u16string(message), MessageIcon::kError, std::nullopt};
}

}  // namespace

PreviewOutcome BuildPreview(PageText page) {
  if (page.empty()) return Failure(kCannotOpenMessage);
  if (SavedInAnotherEncoding(page)) return Failure(kOtherEncodingMessage);
  const std::optional<std::string_view> label = DeclaredCharset(page);
  if (label && !IsWindows1256(*label)) {
    std::u16string shown =
        DecodeWindows1256(label->substr(0, kMaxReportedTagLength));
    if (label->size() > kMaxReportedTagLength) shown += u'\u2026';
    return Failure(WrongCharsetMessage(shown));
  }

  // None of the names in TagNameList or BlockNameList is a tag this tool
  // fills, so requiring any of them would stop every template that uses one
  // at the unknown-tag scan. Until those tags are filled, walk no names.
  const std::u16string missing = FindMissingTags(page, "");
  if (!missing.empty())
    return Failure(ReportMessage(kMissingTagsHeader, missing));

  StageResult staged = ApplySampleTable(std::move(page));
  if (staged.fault != PageFault::kNone) return Failure(kPreviewTooLargeMessage);
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    staged = ExpandLoop(std::move(staged.page), *loop);
    if (staged.fault == PageFault::kMisorderedLoop)
      return Failure(ReportMessage(
          kMisorderedLoopHeader,
          DecodeWindows1256(LoopEndMarker(loop->name)) + u"\r\n"));
    if (staged.fault != PageFault::kNone)
      return Failure(kPreviewTooLargeMessage);
  }
  // Asked of the filled page, which the browser reads (a tag deleted from a
  // quoted value may hide the template's declaration), before the panel is
  // appended: a doctype the template never closes must take no ">" from it.
  const std::optional<std::string_view> shown = DeclaredCharset(staged.page);
  const bool declared = shown && IsWindows1256(*shown);
  const size_t charset_place = declared ? 0 : CharsetPlace(staged.page);
  staged = AppendTestPanel(std::move(staged.page));
  if (staged.fault != PageFault::kNone) return Failure(kPreviewTooLargeMessage);

  const std::u16string unknown = FindUnknownTags(staged.page);
  if (!unknown.empty())
    return Failure(ReportMessage(kUnknownTagsHeader, unknown));

  if (!declared && staged.page.size() > kMaxPageBytes - kCharsetTag.size())
    return Failure(kPreviewTooLargeMessage);
  if (!declared) staged.page.insert(charset_place, kCharsetTag);
  return {std::u16string(kCreatedMessage), MessageIcon::kInformation,
          std::move(staged.page)};
}
