// Runs the built Windows program as a user does: copied into a fresh folder
// of its own and started from another working directory. The outcome is
// read off its message box, which is then closed with OK, and off the
// folder's files. Which message each outcome gives is tested once, on a
// fake platform (src/app/run_preview_test.cc); these are the cases only
// Windows itself shows.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <thread>

#include "message_box_probe-win32.h"
#include "pipeline/messages.h"
#include "test_support.h"

namespace fs = std::filesystem;

void PrintTo(SeenIcon icon, std::ostream* out) {
  switch (icon) {
    case SeenIcon::kNone:
      *out << "no icon";
      break;
    case SeenIcon::kError:
      *out << "the error icon";
      break;
    case SeenIcon::kInformation:
      *out << "the information icon";
      break;
    case SeenIcon::kOther:
      *out << "another picture";
      break;
  }
}

namespace {

constexpr DWORD kWaitMs = 60000;

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

class RunPreviewTest : public ProgramFolderTest {
 protected:
  RunPreviewTest() : ProgramFolderTest(TEMPLATE_PREVIEW_PROGRAM) {}

  // Starts the program, reads its message box, presses OK and waits for
  // the program to end; checks that it told `text` in a box of its kind and
  // ended with the same status as always. Gives the box as seen.
  SeenMessageBox RunExpecting(std::u16string_view text, SeenIcon icon) {
    const std::wstring program = (folder_ / "template-preview.exe").wstring();
    std::wstring command_line = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, elsewhere_.wstring().c_str(),
                        &startup, &process)) {
      ADD_FAILURE() << "cannot start the program: " << GetLastError();
      return {};
    }
    SeenMessageBox box;
    const HWND shown = WaitForMessageBox(process.hProcess, process.dwProcessId,
                                         Wide(kMessageTitle), kWaitMs);
    EXPECT_TRUE(shown) << "no message box appeared";
    if (shown) {
      box = ReadMessageBox(shown, process.dwProcessId);
      EXPECT_TRUE(PressOk(shown)) << "no OK button";
    }
    DWORD exit_code = 0;
    if (WaitForSingleObject(process.hProcess, kWaitMs) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &exit_code);
      EXPECT_EQ(exit_code, 0u) << "the same status for every outcome";
    } else {
      ADD_FAILURE() << "the program went on after OK";
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, kWaitMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!shown) return box;
    EXPECT_EQ(box.window_class, L"#32770") << "not a standard message box";
    EXPECT_EQ(box.title, Wide(kMessageTitle));
    EXPECT_EQ(box.text, Wide(text));
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK}) << "OK, and only OK";
    // Wine ignores the right-to-left flags of a message box; Windows shows
    // them in the styles read here.
    EXPECT_FALSE(box.right_to_left);
    EXPECT_TRUE(box.visual_styles) << "the manifest was not applied";
    EXPECT_EQ(box.other_windows, 0) << "the box is all the user sees";
    return box;
  }
};

const std::string kPage = TemplateWithEveryHighByte();

}  // namespace

TEST_F(RunPreviewTest, TemplateInTheWorkingDirectoryIsNotUsed) {
  WriteFile(elsewhere_ / "Template.htm", "<p>x</p>");
  RunExpecting(NotFoundMessage(u"Template.htm"), SeenIcon::kError);
  EXPECT_EQ(FolderFiles(), JustTheProgram());
  fs::remove(elsewhere_ / "Template.htm");
}

TEST_F(RunPreviewTest, SuccessWritesThePreviewBesideTheProgram) {
  WriteFile(folder_ / "Template.htm", kPage);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  EXPECT_EQ(FolderFiles(), AfterSuccess());
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());

  // A second run replaces the first preview with the same bytes.
  WriteFile(folder_ / "index.htm", "earlier, and longer than nothing");
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, FolderWithAPersianName) {
  UseFolder(L"پيش\u200cنمايش قالب");
  WriteFile(folder_ / "Template.htm", kPage);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, FolderNamedIndexIsKeptAndNoTemporaryFileStays) {
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  fs::create_directory(folder_ / "index.htm");
  WriteFile(folder_ / "index.htm" / "inside", "kept");
  RunExpecting(kNotCreatedMessage, SeenIcon::kError);
  EXPECT_EQ(ReadFile(folder_ / "index.htm" / "inside"), "kept");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, ACopyOfTheTemplateOrTheProgramIsNotReplaced) {
  // Another path to them (a share of this machine, say) may show another
  // volume or index: an index.htm that holds their bytes is taken for them.
  WriteFile(folder_ / "Template.htm", kPage);
  for (const char* name : {"Template.htm", "template-preview.exe"}) {
    WriteFile(folder_ / "index.htm", ReadFile(folder_ / name));
    RunExpecting(kNotCreatedMessage, SeenIcon::kError);
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), ReadFile(folder_ / name));
  }
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

namespace {

// An earlier preview, which each of the runs below must leave whole, with
// no stray file beside it.
class EarlierPreviewTest : public RunPreviewTest {
 protected:
  void SetUp() override {
    RunPreviewTest::SetUp();
    WriteFile(folder_ / "index.htm", "earlier");
  }
  void ExpectEarlierPreviewKept() {
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), "earlier");
    EXPECT_EQ(FolderFiles(), AfterSuccess());
  }
};

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.right <= outer.right && inner.bottom <= outer.bottom &&
         inner.right > inner.left && inner.bottom > inner.top;
}

}  // namespace

TEST_F(EarlierPreviewTest, TemplateOverTheLimitIsRefusedUnread) {
  {
    // 256 MiB and one byte, set as a size rather than written.
    std::ofstream(folder_ / "Template.htm", std::ios::binary).close();
    fs::resize_file(folder_ / "Template.htm", (uintmax_t{256} << 20) + 1);
  }
  RunExpecting(kTemplateTooLargeMessage, SeenIcon::kError);
  ExpectEarlierPreviewKept();
}

TEST_F(EarlierPreviewTest, ReadOnlyPreviewIsNotReplaced) {
  WriteFile(folder_ / "Template.htm", kPage);
  const fs::path index = folder_ / "index.htm";
  ASSERT_TRUE(
      SetFileAttributesW(index.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  RunExpecting(kReadOnlyMessage, SeenIcon::kError);
  ExpectEarlierPreviewKept();
  EXPECT_NE(
      GetFileAttributesW(index.wstring().c_str()) & FILE_ATTRIBUTE_READONLY,
      0u);
  SetFileAttributesW(index.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(EarlierPreviewTest, BoxOfTheLongestReportFitsTheScreen) {
  // Thirty long tags of the widest letter there is, each with another
  // near its start: the report shows the first 25, each cut at 40
  // characters, and counts the rest.
  std::string page;
  std::u16string report;
  for (int i = 0; i < 30; ++i) {
    std::u16string name(60, u'\u0634');
    name[i] = u'\u0635';
    page += Encoded(u"<#" + name + u"#>");
    if (i < 25) report += u"<#" + name.substr(0, 38) + u"\u2026\r\n";
  }
  report += u"و 5 مورد ديگر\r\n";
  WriteFile(folder_ / "Template.htm", page);
  const SeenMessageBox box = RunExpecting(
      u"تگ(هاي) ناشناخته:\u200f\r\n\r\n" + report, SeenIcon::kError);

  const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) +
                           GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) +
                           GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  EXPECT_TRUE(Inside(box.frame, screen))
      << "box " << box.frame.left << "," << box.frame.top << " - "
      << box.frame.right << "," << box.frame.bottom << " on a screen of "
      << screen.right - screen.left << "x" << screen.bottom - screen.top;
  EXPECT_TRUE(Inside(box.ok_button, screen))
      << "the OK button is off the screen";
  ExpectEarlierPreviewKept();
}

TEST_F(EarlierPreviewTest, TemplateInAnotherEncodingIsRefused) {
  // UTF-8, as Notepad saves it today.
  WriteFile(folder_ / "Template.htm", "\xEF\xBB\xBF<p>\xD8\xB3\xD9\x84</p>");
  RunExpecting(kOtherEncodingMessage, SeenIcon::kError);
  ExpectEarlierPreviewKept();
}

TEST_F(EarlierPreviewTest, ABriefLockOnThePreviewIsWaitedOut) {
  // Another program (a virus scanner, a sync client) reads index.htm for
  // about a second and lets others only read it meanwhile.
  const std::wstring index = (folder_ / "index.htm").wstring();
  const HANDLE held = CreateFileW(index.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread reader([held] {
    Sleep(1000);
    CloseHandle(held);
  });
  WriteFile(folder_ / "Template.htm", kPage);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  reader.join();
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(EarlierPreviewTest, ReplacingAHiddenPreviewKeepsItHidden) {
  // Windows documents that ReplaceFileW keeps the replaced file's
  // attributes, ACL and streams. Wine's moves the new file over the old one
  // and keeps none of them, so there only the replace itself shows.
  const std::wstring index = (folder_ / "index.htm").wstring();
  ASSERT_TRUE(SetFileAttributesW(index.c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteFile(folder_ / "Template.htm", kPage);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());
  EXPECT_EQ(FolderFiles(), AfterSuccess());
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"),
                                   "wine_get_version") != nullptr;
  if (!wine) {
    EXPECT_NE(GetFileAttributesW(index.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  }
  SetFileAttributesW(index.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(EarlierPreviewTest, WhatAKilledRunLeftIsRemovedByTheNext) {
  // One that nobody holds open is a killed run's, whatever its process id;
  // one still open is a live run's, here or on another machine sharing the
  // folder.
  const std::string left = "index.htm.4321-0.tmp";
  const std::string written = "index.htm.4321-1.tmp";
  WriteFile(folder_ / left, "part of a preview");
  WriteFile(folder_ / written, "part of a preview");
  const HANDLE held =
      CreateFileW((folder_ / written).wstring().c_str(), GENERIC_WRITE,
                  FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  WriteFile(folder_ / "Template.htm", kPage);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  CloseHandle(held);
  EXPECT_FALSE(fs::exists(folder_ / left));
  EXPECT_TRUE(fs::remove(folder_ / written));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(EarlierPreviewTest, TemplateHeldOpenForWritingIsRead) {
  // An editor keeps the template open to write it (and to rename it when
  // it saves), letting others only read it.
  const HANDLE editor = CreateFileW(
      (folder_ / "Template.htm").wstring().c_str(), GENERIC_WRITE | DELETE,
      FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(editor, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(editor, kPage.data(),
                          static_cast<DWORD>(kPage.size()), &written, nullptr));
  FlushFileBuffers(editor);
  RunExpecting(kCreatedMessage, SeenIcon::kInformation);
  CloseHandle(editor);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            PreviewOfTemplateWithEveryHighByte());
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}
