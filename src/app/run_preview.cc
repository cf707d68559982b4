#include "app/run_preview.h"

#include <filesystem>
#include <optional>
#include <string>

#include "app/platform.h"
#include "pipeline/build_preview.h"
#include "pipeline/messages.h"

namespace {

void ShowError(std::u16string_view text) {
  ShowMessage(text, kMessageTitle, MessageIcon::kError);
}

void Run() {
  const std::u16string file_name = u"Template.htm";
  const std::optional<std::filesystem::path> directory = ProgramDirectory();
  if (!directory || !FileExists(*directory / file_name)) {
    ShowError(NotFoundMessage(file_name));
    return;
  }

  const std::filesystem::path template_path = *directory / file_name;
  ReadResult read = ReadWholeFile(template_path, kMaxPageBytes);
  switch (read.status) {
    case ReadStatus::kRead:
      break;
    case ReadStatus::kNotFound:
      return ShowError(NotFoundMessage(file_name));
    case ReadStatus::kTooLarge:
      return ShowError(kTemplateTooLargeMessage);
    case ReadStatus::kFailed:
      return ShowError(kCannotOpenMessage);
  }

  PreviewOutcome outcome = BuildPreview(std::move(read.bytes));
  if (outcome.preview) {
    const WriteStatus written =
        ReplaceFileContents(*directory / u"index.htm", *outcome.preview,
                            template_path);
    outcome.preview.reset();  // not held while the box is up
    if (written == WriteStatus::kReadOnly) return ShowError(kReadOnlyMessage);
    if (written == WriteStatus::kFailed) return ShowError(kNotCreatedMessage);
  }
  ShowMessage(outcome.message, kMessageTitle, outcome.icon);
}

}  // namespace

void RunPreview() {
  // Whatever goes wrong (out of memory included), the user learns that no
  // preview was made; the program never ends silently.
  try {
    Run();
  } catch (...) {
    try {
      ShowError(kNotCreatedMessage);
    } catch (...) {
    }
  }
}
