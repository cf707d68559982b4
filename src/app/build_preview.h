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

// The same, for a caller that has no further use for the bytes: they are
// released as soon as they are decoded, so that a large template is not held
// twice while its preview is built.
PreviewOutcome BuildPreviewFromOwnedBytes(std::string&& template_bytes);
