// Helpers shared by the tests: files, the tests' own texts in the code page,
// and templates built to break a run.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "checks/declared_charset.h"
#include "preview/test_panel.h"
#include "text/codepage.h"
#include "text/utf8.h"

// A text of a test, as Windows-1256 bytes; it must lie within the code page.
inline std::string Encoded(std::u16string_view text) {
  return EncodeWindows1256(text).value();
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path,
                      std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the files in a folder.
inline std::set<std::filesystem::path> FileNames(
    const std::filesystem::path& folder) {
  std::set<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename());
  return names;
}

// The end-to-end tests' folders: a fresh one holding a copy of the program,
// as a designer keeps it, and another to start it from, in which nothing
// may ever land. Both go when the test ends.
class ProgramFolderTest : public testing::Test {
 protected:
  explicit ProgramFolderTest(std::filesystem::path program)
      : program_(std::move(program)) {}

  void SetUp() override {
    const testing::TestInfo* test =
        testing::UnitTest::GetInstance()->current_test_info();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    root_ = std::filesystem::temp_directory_path() /
            (std::string("preview-test-") + test->test_suite_name() + "-" +
             test->name() + "-" + std::to_string(now.count()));
    std::filesystem::remove_all(root_);
    elsewhere_ = root_ / "elsewhere";
    std::filesystem::create_directories(elsewhere_);
    // Open to everyone: some tests run the program as another user.
    std::filesystem::permissions(root_, std::filesystem::perms::all,
                                 std::filesystem::perm_options::add);
    UseFolder("tool");
  }

  void TearDown() override {
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere_));
    std::filesystem::remove_all(root_);
  }

  // Makes `name` the program's folder: a fresh one with a copy of it.
  void UseFolder(const std::filesystem::path& name) {
    folder_ = root_ / name;
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(program_, folder_ / program_.filename());
  }

  std::set<std::filesystem::path> FolderFiles() const {
    return FileNames(folder_);
  }
  std::set<std::filesystem::path> JustTheProgram() const {
    return {program_.filename()};
  }
  std::set<std::filesystem::path> AfterSuccess() const {
    return {program_.filename(), "Template.htm", "index.htm"};
  }

  std::filesystem::path program_, root_, folder_, elsewhere_;
};

// A template with every byte from 0x80 up, line ends of both kinds and one
// tag; and its preview, in which every byte outside the tag is unchanged
// (the template declares no charset: kCharsetTag comes first).
inline std::string TemplateWithEveryHighByte(
    std::string_view tag = "<#EntryDate#>") {
  std::string high;
  for (int b = 0x80; b < 0x100; ++b) high += static_cast<char>(b);
  return "<html>\r\n" + high + "<b>" + std::string(tag) + "</b>\n" + high +
         "\r\n</html>\r\n";
}
inline std::string PreviewOfTemplateWithEveryHighByte() {
  return std::string(kCharsetTag) + TemplateWithEveryHighByte("1388/1/1") +
         Encoded(TestPanelText());
}

// 7,646 bytes whose loop copies would make 800 MB: each of the 200 menu end
// markers receives copies of 200 text-list end markers, and each of those
// the text list's copies.
inline std::string LoopCopiesPastTheLimit() {
  std::string page = "<#Loop:TextList#>" + std::string(2000, 'z') +
                     "<#End:TextList#><#Loop:Menu#>";
  for (int i = 0; i < 200; ++i) page += "<#End:TextList#>";
  for (int i = 0; i < 200; ++i) page += "<#End:Menu#>";
  return page;
}
