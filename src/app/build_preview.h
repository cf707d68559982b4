// The whole preview, from template bytes to the outcome the user is shown,
// without touching the platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class MessageIcon { kError, kInformation };

struct PreviewOutcome {
  std::u16string message;
  MessageIcon icon = MessageIcon::kError;
  // The bytes of index.htm; present only when the preview may be written.
  std::optional<std::string> preview;
};

PreviewOutcome BuildPreview(std::string_view template_bytes);
