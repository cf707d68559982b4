// The designer's guide (packaging/README.txt) and the tag reference
// (docs/TAGS.md) say what the program does: they are checked here against
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

// The text with the spaces at its ends trimmed.
std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A cell of the reference's tables: the text in backticks. (Appended piece
// by piece: GCC 12 warns wrongly of an overlap in "`" + text + "`".)
std::string Cell(std::u16string_view text) {
  std::string cell = "`";
  cell += Utf8(text);
  cell += '`';
  return cell;
}

// A cell as a table row's part: " `text` |".
std::string Cells(std::u16string_view text) {
  std::string part = " ";
  part += Cell(text);
  part += " |";
  return part;
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
    std::string line = "\n";
    line += Trimmed(Utf8(message));
    line += '\n';
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
    const std::string value = row.value.empty() ? "(removed)" : Cell(row.value);
    EXPECT_NE(reference.find("\n| " + std::to_string(++order) + " | " +
                             Cell(row.tag) + " | " + value + " |\n"),
              std::string::npos)
        << Utf8(row.tag);
  }
  // And no other tag is said to be filled.
  const std::regex row(R"(\n\| \d+ \| `(<#[^`]*)` \|)");
  for (std::sregex_iterator it(reference.begin(), reference.end(), row), end;
       it != end; ++it)
    listed.insert((*it)[1]);
  EXPECT_EQ(listed, filled);

  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    std::string line = "\n| Entry |";
    for (const std::u16string_view field : loop->fields) line += Cells(field);
    EXPECT_NE(reference.find(line + "\n"), std::string::npos) << line;
    int entry = 0;
    for (const auto& values : loop->entries) {
      line = "\n| " + std::to_string(++entry) + " |";
      for (const std::u16string_view value : values) line += Cells(value);
      EXPECT_NE(reference.find(line + "\n"), std::string::npos) << line;
    }
  }
}

TEST(TagReferenceTest, SaysWhatThePanelNeedsFromTheTemplate) {
  const std::string reference = ReadFile(TAG_REFERENCE);
  const std::string panel = Utf8(TestPanelText());
  // Every element the script fills, with what it puts in.
  const std::regex fill(R"(getElementById\('(\w+)'\)\.innerHTML='([^']*)')");
  int fills = 0;
  for (std::sregex_iterator it(panel.begin(), panel.end(), fill), end;
       it != end; ++it, ++fills)
    EXPECT_NE(reference.find("| `" + (*it)[1].str() + "` |"), std::string::npos)
        << (*it)[1];
  EXPECT_EQ(fills, 11);
  // The function the links call, and how.
  EXPECT_NE(reference.find("`ld(view, count)`"), std::string::npos);
  for (int view = 1; view <= 7; ++view)
    EXPECT_NE(panel.find("javascript:ld(" + std::to_string(view) + ",7);"),
              std::string::npos);
  EXPECT_NE(reference.find("`ld(1,7)` to `ld(7,7)`"), std::string::npos);
}
