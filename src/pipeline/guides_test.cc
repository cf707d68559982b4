// The designer's guide (packaging/README.txt) and the tag reference
// (docs/TAGS.txt) say what the program does: they are checked here against
// its own messages and tables, so that neither drifts from the code.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "pipeline/messages.h"
#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"
#include "test_support.h"

namespace {

// The text as a whole line: "\n" text "\n". (Appended piece by piece: GCC 12
// warns wrongly of an overlap in "\n" + text + "\n".)
std::string WholeLine(std::string_view text) {
  std::string line = "\n";
  line += text;
  line += '\n';
  return line;
}

// The text with the spaces at its ends trimmed.
std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A line of the reference's lists: "  3  <#SiteName#> = value". The left-to-
// right mark before the tag and the left-to-right embedding of the value keep
// the line in this order in a right-to-left paragraph too, as the Persian
// part is shown.
std::string ListLine(int number, std::u16string_view tag,
                     std::u16string_view value) {
  std::string line = std::to_string(number);
  line.insert(0, 3 - std::min<size_t>(line.size(), 3), ' ');
  line += "  \u200e";
  line += Utf8(tag);
  line += " = \u202a";
  line += Utf8(value.empty() ? u"(حذف می\u200cشود / removed)" : value);
  line += "\u202c";
  return WholeLine(line);
}

}  // namespace

TEST(DesignersGuideTest, ExplainsEveryMessageTheProgramShows) {
  const std::string guide = ReadFile(DESIGNERS_GUIDE);
  ASSERT_FALSE(guide.empty());
  for (const std::u16string& message :
       {std::u16string(kCreatedMessage), NotFoundMessage(u"Template.htm"),
        std::u16string(kCannotOpenMessage),
        std::u16string(kOtherEncodingMessage),
        std::u16string(kTemplateTooLargeMessage),
        std::u16string(kUnknownTagsHeader),
        std::u16string(kMisorderedLoopHeader),
        std::u16string(kPreviewTooLargeMessage),
        std::u16string(kReadOnlyMessage), std::u16string(kNotCreatedMessage)}) {
    const std::string line = WholeLine(Trimmed(Utf8(message)));
    // Once in the Persian part and once in the English one.
    const size_t first = guide.find(line);
    EXPECT_NE(first, std::string::npos) << Utf8(message);
    EXPECT_NE(guide.find(line, first + 1), std::string::npos) << Utf8(message);
  }
}

TEST(TagReferenceTest, ListsEveryTagTheToolFillsWithItsSample) {
  const std::string reference = ReadFile(TAG_REFERENCE);
  ASSERT_FALSE(reference.empty());
  std::set<std::string> filled, listed;
  int order = 0;
  for (const SampleRow& row : SampleTable) {
    filled.insert(Utf8(row.tag));
    EXPECT_NE(reference.find(ListLine(++order, row.tag, row.value)),
              std::string::npos)
        << Utf8(row.tag);
  }
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    int entry = 0;
    for (const auto& values : loop->entries) {
      ++entry;
      for (size_t i = 0; i < values.size(); ++i) {
        filled.insert(Utf8(loop->fields[i]));
        EXPECT_NE(reference.find(ListLine(entry, loop->fields[i], values[i])),
                  std::string::npos)
            << Utf8(loop->fields[i]) << " " << entry;
      }
    }
  }
  // And no other tag is said to be filled.
  const std::regex line("\n +\\d+  \u200e(<#[^ ]*) = ");
  for (std::sregex_iterator it(reference.begin(), reference.end(), line), end;
       it != end; ++it)
    listed.insert((*it)[1]);
  EXPECT_EQ(listed, filled);
}

TEST(TagReferenceTest, SaysWhatThePanelNeedsFromTheTemplate) {
  const std::string reference = ReadFile(TAG_REFERENCE);
  const std::string panel = Utf8(TestPanelText());
  // Every element the script fills, with what it puts in.
  const std::regex fill(R"(getElementById\('(\w+)'\)\.innerHTML='([^']*)')");
  int fills = 0;
  for (std::sregex_iterator it(panel.begin(), panel.end(), fill), end;
       it != end; ++it, ++fills)
    EXPECT_NE(reference.find(WholeLine("  " + (*it)[1].str() + " = " +
                                       (*it)[2].str())),
              std::string::npos)
        << (*it)[1];
  EXPECT_EQ(fills, 11);
  // The function the links call, and how.
  EXPECT_NE(reference.find("ld(view, count)"), std::string::npos);
  for (int view = 1; view <= 7; ++view)
    EXPECT_NE(panel.find("javascript:ld(" + std::to_string(view) + ",7);"),
              std::string::npos);
  EXPECT_NE(reference.find("ld(1,7) to ld(7,7)"), std::string::npos);
}
