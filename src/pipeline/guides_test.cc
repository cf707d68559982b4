// The designer's guide (packaging/README.txt) and the tag reference
// (docs/TAGS.txt) say what the program does: they are checked here against
// its own messages and tables, so that neither drifts from the code.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
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

// Whether `text` has `line` as a whole line, or followed by a right-to-left
// mark that keeps a closing period or "!" after the Persian sentence before
// it when the line is shown left to right.
bool HasLine(const std::string& text, std::string_view line) {
  return text.find(WholeLine(line)) != std::string::npos ||
         text.find(WholeLine(std::string(line) + "\u200f")) !=
             std::string::npos;
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

// A line of the reference's lists, read left to right: "  3  <#SiteName#> =
// value", with nothing invisible that a copy of the tag could take along.
std::string ListLine(int number, std::u16string_view tag,
                     std::u16string_view value) {
  std::string line = std::to_string(number);
  line.insert(0, 3 - std::min<size_t>(line.size(), 3), ' ');
  line += "  ";
  line += Utf8(tag);
  line += " = ";
  line += Utf8(value.empty() ? u"(حذف می\u200cشود / removed)" : value);
  return line;
}

// What the Persian standard keyboard (ISIRI 9147, as X11's "ir" layout has
// it) types beyond ASCII: unshifted, with Shift, and with AltGr.
constexpr std::u16string_view kPersianKeyboard =
    u"۱۲۳۴۵۶۷۸۹۰ضصثقفغعهخحجچشسیبلاتنمکگظطزرذدپو\u200d"
    u"٬٫﷼٪×،\u0652\u064c\u064d\u064b\u064f\u0650\u064e\u0651ؤئيإأآة»«؛كژ"
    u"\u0653\u0670\u200c\u0654ء؟÷ـ"
    u"•\u200e\u200f°€\u202a\u202b\u202c\u202d\u202eىٱ﴾﴿\u0655\u0656…−‐";

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
        std::u16string(kOtherEncodingMessage), WrongCharsetMessage(u"UTF-8"),
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
    EXPECT_TRUE(HasLine(reference, ListLine(++order, row.tag, row.value)))
        << Utf8(row.tag);
  }
  for (const LoopDescription* loop : {&MenuLoop, &TextListLoop}) {
    int entry = 0;
    for (const auto& values : loop->entries) {
      ++entry;
      for (size_t i = 0; i < values.size(); ++i) {
        filled.insert(Utf8(loop->fields[i]));
        EXPECT_TRUE(
            HasLine(reference, ListLine(entry, loop->fields[i], values[i])))
            << Utf8(loop->fields[i]) << " " << entry;
      }
    }
  }
  // And no other tag is said to be filled.
  const std::regex line("\n +\\d+  (<#[^ ]*) = ");
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
    EXPECT_TRUE(
        HasLine(reference, "  " + (*it)[1].str() + " = " + (*it)[2].str()))
        << (*it)[1];
  EXPECT_EQ(fills, 11);
  // The function the links call, and how.
  EXPECT_NE(reference.find("ld(view, count)"), std::string::npos);
  for (int view = 1; view <= 7; ++view)
    EXPECT_NE(panel.find("javascript:ld(" + std::to_string(view) + ",7);"),
              std::string::npos);
  EXPECT_NE(reference.find("ld(1,7) to ld(7,7)"), std::string::npos);
}

// Windows-1256 has no embedding or isolate marks: a copied one becomes "?".
// It has the direction marks, and one next to a tag, a file name or a path
// goes along when a designer copies it from the blank before it, and then
// stands in the template's address ("%E2%80%8Elogo.gif").
TEST(DesignersGuideTest, NothingInvisibleGoesAlongWithWhatADesignerCopies) {
  const auto copied = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           (c != 0 && std::strchr("<>#/\\_", c));
  };
  for (const char* path : {DESIGNERS_GUIDE, TAG_REFERENCE}) {
    const std::string text = WholeLine(ReadFile(path));
    for (size_t i = 1; i + 3 < text.size(); ++i) {
      const std::string mark = text.substr(i, 3);
      EXPECT_FALSE((mark >= "\u202a" && mark <= "\u202e") ||
                   (mark >= "\u2066" && mark <= "\u2069"))
          << path << " at byte " << i;
      if (mark == "\u200e" || mark == "\u200f") {
        EXPECT_FALSE(copied(text[i - 1]) || copied(text[i + 3]))
            << path << " at byte " << i;
      }
    }
  }
}

// Step 1 names every character the Persian keyboard types that Windows-1256
// lacks, in both languages; an invisible one by its code point.
TEST(DesignersGuideTest,
     StepOneReplacesWhatThePersianKeyboardTypesBeyondTheCodePage) {
  const std::string guide = ReadFile(DESIGNERS_GUIDE);
  for (const auto& [first, next] :
       {std::pair{"گام ۱:", "گام ۲:"}, std::pair{"Step 1:", "Step 2:"}}) {
    const size_t start = guide.find(first);
    ASSERT_NE(start, std::string::npos) << first;
    const std::string step = guide.substr(start, guide.find(next) - start);
    for (const char16_t c : kPersianKeyboard) {
      if (EncodeWindows1256(std::u16string_view(&c, 1))) continue;
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      EXPECT_TRUE(step.find(Utf8(std::u16string_view(&c, 1))) !=
                      std::string::npos ||
                  step.find(code) != std::string::npos)
          << first << " " << code;
    }
  }
}

// Step 1's search (ASCII, a line of its own in both languages), run as VS
// Code runs it, case matched: over the Basic Multilingual Plane, the Persian
// keyboard's characters among them, it finds exactly what Windows-1256
// lacks, so that deleting what it finds loses nothing the code page has.
TEST(DesignersGuideTest, StepOneSearchFindsExactlyWhatTheCodePageLacks) {
  const std::string guide = ReadFile(DESIGNERS_GUIDE);
  const std::regex line("\n(\\[\\^[^\n]*\\])\n");
  std::vector<std::string> searches;
  for (std::sregex_iterator it(guide.begin(), guide.end(), line), end;
       it != end; ++it)
    searches.push_back((*it)[1]);
  ASSERT_EQ(searches.size(), 2u);
  EXPECT_EQ(searches[0], searches[1]);
  const std::wregex search(
      std::wstring(searches[0].begin(), searches[0].end()));
  for (char32_t code = 0; code < 0x10000; ++code) {
    const char16_t c = static_cast<char16_t>(code);
    if (c >= 0xd800 && c < 0xe000) continue;
    EXPECT_EQ(
        std::regex_search(std::wstring(1, static_cast<wchar_t>(c)), search),
        !EncodeWindows1256(std::u16string_view(&c, 1)))
        << std::hex << static_cast<unsigned>(c);
  }
}

// The designer keeps the UTF-8 file and converts a copy: part 4 says so
// before its first step changes anything.
TEST(DesignersGuideTest, KeepsTheUtf8OriginalBeforeConverting) {
  const std::string guide = ReadFile(DESIGNERS_GUIDE);
  for (const auto& [part, step] :
       {std::pair{"\n۴. ", "گام ۱:"}, std::pair{"\n4. Saving", "Step 1:"}}) {
    const size_t start = guide.find(part);
    const size_t end = guide.find(step, start);
    ASSERT_NE(end, std::string::npos) << step;
    const std::string before = guide.substr(start, end - start);
    EXPECT_NE(before.find("mine.htm"), std::string::npos) << part;
    EXPECT_NE(before.find("Save As"), std::string::npos) << part;
  }
}
