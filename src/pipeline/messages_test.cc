// Every text the program shows, written out here character for character,
// apart from how the program assembles them. Other tests use the program's
// constants; this is the one place that checks what those constants say.

#include "pipeline/messages.h"

#include <gtest/gtest.h>

#include <vector>

#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"
#include "text/codepage.h"

TEST(MessagesTest, TextsAreExactlyTheSystemsOwnAndLieInTheCodePage) {
  const std::pair<std::u16string, std::u16string_view> texts[] = {
      {std::u16string(kMessageTitle), u"نتيجه"},
      {NotFoundMessage(u"Template.htm"),
       u" را پيدا نكردم، اين فايل بايد در كنار من باشد!\u200f Template.htm "
       u"فايل "},
      {std::u16string(kCannotOpenMessage), u"فايل باز نشد"},
      {std::u16string(kOtherEncodingMessage),
       u"ذخيره نشده است Windows-1256 با كدگذاري Template.htm فايل"},
      {WrongCharsetMessage(u"UTF-8"),
       u"charset=UTF-8 باشد، نه charset=windows-1256 بايد Template.htm در "
       u"فايل"},
      {std::u16string(kCreatedMessage), u"ساخته شد index.htm فايل"},
      {std::u16string(kNotCreatedMessage), u"ساخته نشد index.htm فايل"},
      {std::u16string(kReadOnlyMessage), u"فقط خواندني است index.htm فايل"},
      {std::u16string(kTemplateTooLargeMessage),
       u"بزرگ\u200cتر از 256 مگابايت است Template.htm فايل"},
      {std::u16string(kPreviewTooLargeMessage),
       u"بزرگ\u200cتر از 256 مگابايت مي\u200cشد index.htm فايل"},
      {std::u16string(kMissingTagsHeader), u"تگ(هاي) زير يافت نشد:\u200f"},
      {std::u16string(kUnknownTagsHeader), u"تگ(هاي) ناشناخته:\u200f"},
      {std::u16string(kMisorderedLoopHeader),
       u"تگ پايان حلقه پيش از تگ آغاز آن آمده است:\u200f"},
      {ReportMessage(u"H:", u"<#A#>\r\n"), u"H:\r\n\r\n<#A#>\r\n"},
  };
  for (const auto& [text, expected] : texts) {
    EXPECT_EQ(text, expected);
    // Shown on Windows and written into pages as Windows-1256 text.
    EXPECT_EQ(DecodeWindows1256(Cp1256(text)), text);
  }
}

TEST(MessagesTest, EveryTextThePreviewTakesIsInTheCodePage) {
  std::vector<std::u16string> texts = {TestPanelText(),
                                       u"و 12 مورد ديگر\u2026"};
  for (const SampleRow& row : SampleTable) texts.emplace_back(row.value);
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop})
    for (const auto& entry : loop->entries)
      for (std::u16string_view value : entry) texts.emplace_back(value);
  for (const std::u16string& text : texts) {
    const std::optional<std::string> bytes = EncodeWindows1256(text);
    ASSERT_TRUE(bytes) << "text " << (&text - texts.data());
    EXPECT_EQ(DecodeWindows1256(*bytes), text);
  }
}
