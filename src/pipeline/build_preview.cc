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

PreviewOutcome Failure(std::u16string message) {
  return {std::move(message), MessageIcon::kError, std::nullopt};
}

// The message for a stage that gave no page; `loop` is the loop being
// expanded, if any.
PreviewOutcome StageFailure(PageFault fault, const LoopDescription* loop) {
  if (fault == PageFault::kMisorderedLoop && loop)
    return Failure(ReportMessage(
        kMisorderedLoopHeader,
        DecodeWindows1256(LoopEndMarker(loop->name)) + u"\r\n"));
  return Failure(std::u16string(kPreviewTooLargeMessage));
}

}  // namespace

PreviewOutcome BuildPreview(PageText page) {
  if (page.empty()) return Failure(std::u16string(kCannotOpenMessage));
  // Saved as UTF-8 or UTF-16, its text would be garbled beside the sample
  // data whichever encoding the browser took.
  if (SavedInAnotherEncoding(page))
    return Failure(std::u16string(kOtherEncodingMessage));
  // A browser believes the page's declaration over its bytes.
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
  if (staged.fault != PageFault::kNone) return StageFailure(staged.fault, nullptr);
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    staged = ExpandLoop(std::move(staged.page), *loop);
    if (staged.fault != PageFault::kNone) return StageFailure(staged.fault, loop);
  }
  // Asked of the filled page, which the browser reads: filling may hide the
  // template's declaration (a tag deleted from a quoted value). Found before
  // the panel is appended, so that a doctype the template never closes does
  // not take its ">" from the panel.
  const std::optional<std::string_view> shown = DeclaredCharset(staged.page);
  const bool declared = shown && IsWindows1256(*shown);
  const size_t charset_place = declared ? 0 : CharsetPlace(staged.page);
  staged = AppendTestPanel(std::move(staged.page));
  if (staged.fault != PageFault::kNone) return StageFailure(staged.fault, nullptr);

  const std::u16string unknown = FindUnknownTags(staged.page);
  if (!unknown.empty())
    return Failure(ReportMessage(kUnknownTagsHeader, unknown));

  // Left to guess, a browser may read the page in another code page.
  if (!declared && staged.page.size() > kMaxPageBytes - kCharsetTag.size())
    return StageFailure(PageFault::kTooLarge, nullptr);
  if (!declared) staged.page.insert(charset_place, kCharsetTag);
  return {std::u16string(kCreatedMessage), MessageIcon::kInformation,
          std::move(staged.page)};
}
