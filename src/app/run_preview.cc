#include "app/run_preview.h"

#include <filesystem>
#include <optional>
#include <string>

#include "app/platform.h"
#include "pipeline/build_preview.h"
#include "pipeline/messages.h"

namespace {

void ShowError(std::u16string_view text, int error = 0) {
  std::u16string shown(text);
  // Below, where a call failed, why: a full disk, a file another program
  // holds, a folder the user may not write.
  if (error != 0) shown += u"\r\n" + SystemErrorText(error);
  ShowMessage(shown, kMessageTitle, MessageIcon::kError);
}

void Run() {
  const std::u16string file_name = u"Template.htm";
  const std::optional<std::filesystem::path> directory = ProgramDirectory();
  if (!directory || !FileExists(*directory / file_name))
    return ShowError(NotFoundMessage(file_name));

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
      return ShowError(kCannotOpenMessage, read.error);
  }

  PreviewOutcome outcome = BuildPreview(std::move(read.bytes));
  if (outcome.preview) {
    const WriteResult written = ReplaceFileContents(
        *directory / u"index.htm", *outcome.preview, template_path);
    outcome.preview.reset();  // not held while the box is up
    if (written.status == WriteStatus::kReadOnly)
      return ShowError(kReadOnlyMessage);
    if (written.status == WriteStatus::kFailed)
      return ShowError(kNotCreatedMessage, written.error);
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
