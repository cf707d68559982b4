// From template bytes to the outcome the user is shown, touching no platform.
#pragma once

#include <optional>
#include <string>

#include "pipeline/message_icon.h"
#include "preview/page_text.h"

struct PreviewOutcome {
  std::u16string message;
  MessageIcon icon = MessageIcon::kError;
  // The bytes of index.htm; present only when the preview may be written.
  std::optional<PageText> preview;
};

// Runs the stages over the template's bytes, which become the page: the
// preview is built in their place rather than beside a copy of them.
PreviewOutcome BuildPreview(PageText page);
