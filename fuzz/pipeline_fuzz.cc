// Fuzzes the whole pure pipeline: template bytes in, outcome out.
//
// Properties checked on every input:
//   - the message is one of the known ends, and a preview comes only with
//     the success message; a template that declares a charset other than
//     Windows-1256 is refused, naming it;
//   - an unknown-tag report stays bounded: at most kMaxReportedTags lines of
//     at most kMaxReportedTagLength characters plus "…", none of them broken,
//     and one count line;
//   - on success the preview ends with the panel, and a template without
//     "<#" comes back byte for byte followed by the panel, with the charset
//     tag added where it declares none; only a template in Windows-1256
//     (not one that reads as UTF-8) is previewed;
//   - running over the preview of a success succeeds again and only adds
//     the panel once more (unless what the stages joined reads as a
//     byte-order mark or declares a charset).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "checks/declared_charset.h"
#include "checks/other_encoding.h"
#include "checks/unknown_tags.h"
#include "pipeline/build_preview.h"
#include "pipeline/messages.h"
#include "preview/test_panel.h"
#include "text/codepage.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

const std::string& PanelBytes() {
  static const std::string panel = Cp1256(TestPanelText());
  return panel;
}

// The label of a charset declared other than Windows-1256.
std::optional<std::string_view> Foreign(std::string_view page) {
  const auto label = DeclaredCharset(page);
  return label && !IsWindows1256(*label) ? label : std::nullopt;
}

bool StartsWith(std::u16string_view text, std::u16string_view header) {
  return text.substr(0, header.size()) == header &&
         text.substr(header.size(), 4) == u"\r\n\r\n";
}

// At most kMaxReportedTags entries, each a tag cut to kMaxReportedTagLength
// characters (or at its first line break) plus "…", then "\r\n"; a count
// line follows when tags were left out.
void CheckUnknownTagReport(std::u16string_view report) {
  constexpr size_t kEntry = kMaxReportedTagLength + 1 + 2;
  constexpr size_t kCountLine = 64;
  Require(!report.empty(), "an unknown-tag report is not empty");
  Require(report.size() <= kMaxReportedTags * kEntry + kCountLine,
          "an unknown-tag report stays bounded");
  Require(report.ends_with(u"\r\n"), "a report ends with a line break");
  Require(std::count(report.begin(), report.end(), u'\n') <=
              static_cast<std::ptrdiff_t>(kMaxReportedTags + 1),
          "each tag is one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PreviewOutcome outcome = BuildPreview(std::string(bytes));

  const std::u16string_view message = outcome.message;
  if (outcome.preview) {
    Require(message == kCreatedMessage, "a preview comes with success");
    Require(outcome.icon == MessageIcon::kInformation, "success informs");
    const std::string& preview = *outcome.preview;
    Require(preview.ends_with(PanelBytes()), "the preview ends with the panel");
    Require(!SavedInAnotherEncoding(bytes), "a UTF-8 template is refused");
    Require(!Foreign(bytes), "a declared UTF-8 template is refused");
    if (bytes.find("<#") == std::string_view::npos) {
      std::string whole = std::string(bytes) + PanelBytes();
      if (!DeclaredCharset(bytes)) whole.insert(CharsetPlace(bytes), kCharsetTag);
      Require(preview == whole, "a template without tags comes back whole");
    }

    // Unless what a tag's deletion brought together reads as a byte-order
    // mark or declares a charset ("<!--<#ThemeDir#>>" becomes "<!-->", a
    // whole comment, after which a <meta> counts).
    if (SavedInAnotherEncoding(preview) || Foreign(preview)) return 0;
    const PreviewOutcome again = BuildPreview(preview);
    Require(again.preview.has_value(), "a preview is accepted again");
    Require(*again.preview == preview + PanelBytes(),
            "a second run only adds the panel");
    return 0;
  }

  Require(outcome.icon == MessageIcon::kError, "no preview means an error");
  if (StartsWith(message, kUnknownTagsHeader)) {
    CheckUnknownTagReport(message.substr(kUnknownTagsHeader.size() + 4));
  } else if (StartsWith(message, kMisorderedLoopHeader)) {
    const std::u16string_view report =
        message.substr(kMisorderedLoopHeader.size() + 4);
    Require(report == u"<#End:Menu#>\r\n" || report == u"<#End:TextList#>\r\n",
            "a misordered loop names its end marker");
  } else if (const auto label = Foreign(bytes);
             label && message.starts_with(u"charset=")) {
    Require(message.substr(8).starts_with(
                DecodeWindows1256(label->substr(0, 10))),
            "a foreign charset is named");
  } else {
    Require(message == kCannotOpenMessage || message == kNotCreatedMessage ||
                message == kOtherEncodingMessage,
            "the message is one of the known ends");
    if (message == kCannotOpenMessage) Require(size == 0, "only an empty file");
  }
  return 0;
}
