// The designer's guide (packaging/README.txt) and the tag reference
// (docs/TAGS.txt) say what the program does: they are checked here against
// its own messages and tables, so that neither drifts from the code.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "pipeline/messages.h"
#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"
#include "test_support.h"

namespace {

// Where the guide's English part begins; the Persian part comes before it.
constexpr std::string_view kEnglishTitle =
    "\ntemplate-preview: a preview of your blog page template\n";

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

bool HasLatinLetter(std::u16string_view word) {
  for (const char16_t c : word)
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  return false;
}

// A message as the guide's Persian part writes it. The program keeps each
// message's runs in reverse order, so that a left-to-right box shows them in
// reading order; a run is a longest sequence of words that all have a Latin
// letter ("index.htm", "Windows-1256") or all have none (Persian words, with
// the digits and signs among them). Put back in reading order, the message
// looks in a right-to-left paragraph as it does in the box.
std::string ReadingOrder(std::u16string_view message) {
  std::vector<std::u16string> runs;
  bool latin = false;
  for (size_t start = 0; start <= message.size();) {
    const size_t end = std::min(message.find(u' ', start), message.size());
    const std::u16string_view word = message.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (runs.empty() || HasLatinLetter(word) != latin) {
      latin = HasLatinLetter(word);
      runs.emplace_back(word);
    } else {
      runs.back() += u' ';
      runs.back() += word;
    }
  }
  std::u16string text;
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (!text.empty()) text += u' ';
    text += *run;
  }
  return Utf8(text);
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

TEST(DesignersGuideTest, ExplainsEveryMessageAsTheBoxShowsIt) {
  EXPECT_EQ(ReadingOrder(kOtherEncodingMessage),
            Utf8(u"فايل Template.htm با كدگذاري Windows-1256 ذخيره نشده است"));
  const std::string guide = ReadFile(DESIGNERS_GUIDE);
  const size_t english = guide.find(kEnglishTitle);
  ASSERT_NE(english, std::string::npos);
  const std::string persian_part = guide.substr(0, english);
  const std::string english_part = guide.substr(english);
  for (const std::u16string& message :
       {std::u16string(kCreatedMessage), NotFoundMessage(u"Template.htm"),
        std::u16string(kCannotOpenMessage),
        std::u16string(kOtherEncodingMessage),
        std::u16string(kTemplateTooLargeMessage),
        std::u16string(kUnknownTagsHeader),
        std::u16string(kMisorderedLoopHeader),
        std::u16string(kPreviewTooLargeMessage),
        std::u16string(kReadOnlyMessage), std::u16string(kNotCreatedMessage)}) {
    // The Persian part is read right to left, the English one left to right
    // as the box is.
    EXPECT_NE(persian_part.find(WholeLine(ReadingOrder(message))),
              std::string::npos)
        << ReadingOrder(message);
    EXPECT_NE(english_part.find(WholeLine(Trimmed(Utf8(message)))),
              std::string::npos)
        << Utf8(message);
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
    EXPECT_NE(reference.find(
                  WholeLine("  " + (*it)[1].str() + " = " + (*it)[2].str())),
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
