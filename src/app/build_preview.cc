#include "app/build_preview.h"

#include <array>
#include <utility>

#include "app/codepage.h"
#include "app/messages.h"
#include "checks/missing_tags.h"
#include "checks/unknown_tags.h"
#include "preview/fill_page.h"
#include "preview/loop.h"
#include "preview/test_panel.h"

namespace {

PreviewOutcome Failure(std::u16string message) {
  return {std::move(message), MessageIcon::kError, std::nullopt};
}

// Every stage after decoding. Each stage's input is dropped as soon as its
// output stands, so at most two pages are held at a time.
PreviewOutcome BuildFromPage(std::u16string page) {
  if (page.empty()) return Failure(std::u16string(kCannotOpenMessage));

  // None of the names in TagNameList or BlockNameList is a tag this tool
  // fills, so requiring any of them would stop every template that uses one
  // at the unknown-tag scan. Until those tags are filled, walk no names.
  const std::u16string missing = FindMissingTags(page, u"");
  if (!missing.empty())
    return Failure(ReportMessage(kMissingTagsHeader, missing));

  // ApplySampleTable, then ExpandLoop for the menu and the text list, in one
  // pass over the page instead of three.
  constexpr std::array<const LoopDescription*, 2> kLoops = {&MenuLoop,
                                                           &TextListLoop};
  FilledPage filled = FillPage(page, kLoops);
  if (filled.broken_loop)
    return Failure(ReportMessage(kMisorderedLoopHeader,
                                 LoopEndMarker(filled.broken_loop->name) + u"\r\n"));
  page = std::move(filled.text);

  page = AppendTestPanel(std::move(page));

  const std::u16string unknown = FindUnknownTags(page);
  if (!unknown.empty())
    return Failure(ReportMessage(kUnknownTagsHeader, unknown));

  std::optional<std::string> bytes = EncodeWindows1256(page);
  if (!bytes) return Failure(std::u16string(kNotCreatedMessage));
  return {std::u16string(kCreatedMessage), MessageIcon::kInformation,
          std::move(bytes)};
}

}  // namespace

PreviewOutcome BuildPreview(std::string_view template_bytes) {
  return BuildFromPage(DecodeWindows1256(template_bytes));
}

PreviewOutcome BuildPreviewFromOwnedBytes(std::string&& template_bytes) {
  std::u16string page = DecodeWindows1256(template_bytes);
  std::string().swap(template_bytes);
  return BuildFromPage(std::move(page));
}
