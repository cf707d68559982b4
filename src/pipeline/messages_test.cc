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

TEST(MessagesTest, TextsAreExactlyTheSystemsOwn) {
  EXPECT_EQ(kMessageTitle, u"نتيجه");
  EXPECT_EQ(NotFoundMessage(u"Template.htm"),
            u" را پيدا نكردم، اين فايل بايد در كنار من باشد!\u200f "
            u"Template.htm فايل ");
  EXPECT_EQ(kCannotOpenMessage, u"فايل باز نشد");
  EXPECT_EQ(kCreatedMessage, u"ساخته شد index.htm فايل");
  EXPECT_EQ(kNotCreatedMessage, u"ساخته نشد index.htm فايل");
  EXPECT_EQ(kReadOnlyMessage, u"فقط خواندني است index.htm فايل");
  EXPECT_EQ(kTemplateTooLargeMessage,
            u"بزرگ\u200cتر از 256 مگابايت است Template.htm فايل");
  EXPECT_EQ(kPreviewTooLargeMessage,
            u"بزرگ\u200cتر از 256 مگابايت مي\u200cشد index.htm فايل");
  EXPECT_EQ(kMissingTagsHeader, u"تگ(هاي) زير يافت نشد:\u200f");
  EXPECT_EQ(kUnknownTagsHeader, u"تگ(هاي) ناشناخته:\u200f");
  EXPECT_EQ(kMisorderedLoopHeader,
            u"تگ پايان حلقه پيش از تگ آغاز آن آمده است:\u200f");
  EXPECT_EQ(ReportMessage(u"H:", u"<#A#>\r\n"), u"H:\r\n\r\n<#A#>\r\n");
}

TEST(MessagesTest, EveryTextOfTheProgramIsEncodable) {
  std::vector<std::u16string> texts = {
      std::u16string(kMessageTitle),
      NotFoundMessage(u"Template.htm"),
      std::u16string(kCannotOpenMessage),
      std::u16string(kCreatedMessage),
      std::u16string(kNotCreatedMessage),
      std::u16string(kReadOnlyMessage),
      std::u16string(kTemplateTooLargeMessage),
      std::u16string(kPreviewTooLargeMessage),
      std::u16string(kMissingTagsHeader),
      std::u16string(kUnknownTagsHeader),
      std::u16string(kMisorderedLoopHeader),
      TestPanelText(),
      u"و 12 مورد ديگر\u2026"};
  for (const SampleRow& row : SampleTable) texts.emplace_back(row.value);
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop})
    for (const auto& entry : loop->entries)
      for (std::u16string_view value : entry) texts.emplace_back(value);
  for (const std::u16string& text : texts) {
    const std::optional<std::string> bytes = EncodeWindows1256(text);
    ASSERT_TRUE(bytes) << "text " << (&text - texts.data());
    EXPECT_EQ(DecodeWindows1256(*bytes), text);
    EXPECT_EQ(Cp1256(text), *bytes);
  }
}
