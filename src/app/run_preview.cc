#include "app/run_preview.h"

#include <filesystem>
#include <optional>
#include <string>

#include "app/build_preview.h"
#include "app/messages.h"
#include "app/platform.h"

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

  std::optional<std::string> bytes = ReadWholeFile(*directory / file_name);
  if (!bytes) {
    ShowError(kCannotOpenMessage);
    return;
  }
  const PreviewOutcome outcome = BuildPreview(std::move(*bytes));

  if (outcome.preview &&
      !ReplaceFileContents(*directory / u"index.htm", *outcome.preview)) {
    ShowError(kNotCreatedMessage);
    return;
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
