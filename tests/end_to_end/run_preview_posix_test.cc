// Runs the built program as a user does: copied into a folder of its own,
// started from another working directory, with the outcome read from its
// streams (or from a stand-in zenity) and from the folder's files. Which
// message each outcome gives is tested once, on a fake platform
// (src/app/run_preview_test.cc); these are the cases only the real system
// shows.

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/build_preview.h"
#include "preview/test_panel.h"
#include "program_run-posix.h"
#include "realistic_template.h"

TEST_F(RunPreviewTest, TemplateIsLookedForBesideTheProgramOnly) {
  WriteFile(elsewhere_ / "Template.htm", "<p>x</p>");
  const RunResult result = Run();
  EXPECT_EQ(result.err, TerminalText(NotFoundMessage(u"Template.htm")));
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(FolderFiles(), JustTheProgram());
  fs::remove(elsewhere_ / "Template.htm");
}

TEST_F(RunPreviewTest, SuccessWritesThePreviewBesideTheProgram) {
  WriteFile(folder_ / "Template.htm", TemplateWithEveryHighByte());
  const RunResult result = Run();
  EXPECT_EQ(result.out, kCreated);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
  const std::string expected = PreviewOfTemplateWithEveryHighByte();
  EXPECT_EQ(ReadFile(folder_ / "index.htm"), expected);

  // A second run replaces the first preview with the same bytes.
  WriteFile(folder_ / "index.htm", "earlier");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"), expected);
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, WorksFromAFolderWithAPersianName) {
  UseFolder("قالب آزمايشي");
  WriteFile(folder_ / "Template.htm", "<p><#SoundPasvand#></p>");
  const RunResult result = Run();
  EXPECT_EQ(result.out, kCreated);
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            std::string(kCharsetTag) + "<p>wav</p>" + Encoded(TestPanelText()));
}

TEST_F(RunPreviewTest, UnwritableFolderKeepsTheEarlierPreview) {
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  WriteFile(folder_ / "index.htm", "earlier");
  // The preview itself may be written; the folder may not.
  fs::permissions(folder_ / "index.htm", fs::perms(0666));
  fs::permissions(
      folder_,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  // Root writes anywhere; the program then runs as an ordinary user.
  const uid_t nobody = geteuid() == 0 ? 65534 : static_cast<uid_t>(-1);
  const RunResult result = Run({.as_user = nobody});
  EXPECT_EQ(result.err, NotCreatedBecause(EACCES));
  EXPECT_EQ(ReadFile(folder_ / "index.htm"), "earlier");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, FolderNamedIndexIsKeptAndNoTemporaryFileStays) {
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  fs::create_directory(folder_ / "index.htm");
  WriteFile(folder_ / "index.htm" / "inside", "kept");
  const RunResult result = Run();
  EXPECT_EQ(result.err, kNotCreated);
  EXPECT_EQ(ReadFile(folder_ / "index.htm" / "inside"), "kept");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(FakeZenityTest, SuccessIsShownInADialog) {
  InstallFakeZenity(0);
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  const RunResult result = Run({.env = Env()});
  // Every line given to the dialog starts with U+200E, which keeps GTK
  // from laying it out right to left, so that it reads "file index.htm was
  // made", not "was made index.htm file".
  EXPECT_EQ(ZenityArgs(),
            "--info\n--title=نتيجه\n--no-markup\n"
            "--text=\u200eساخته شد index.htm فايل\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "") << "zenity's own warnings stay hidden";
}

TEST_F(FakeZenityTest, TemplateTextReachesTheDialogUninterpreted) {
  // Nothing of it is run by a shell or read as markup, and a NUL does not
  // cut the argument short.
  InstallFakeZenity(0);
  constexpr char kTag[] = "<#$(touch pwned)<b>`id`;&amp;\0#>";
  WriteFile(folder_ / "Template.htm", std::string(kTag, sizeof kTag - 1));
  const RunResult result = Run({.env = Env()});
  EXPECT_EQ(ZenityArgs(),
            "--error\n--title=نتيجه\n--no-markup\n"
            "--text=\u200eتگ(هاي) ناشناخته:\u200f\r\n\u200e\r\n"
            "\u200e<#$(touch pwned)<b>`id`;&amp;\uFFFD#>\r\n\n");
  EXPECT_FALSE(fs::exists(elsewhere_ / "pwned"));
  EXPECT_FALSE(fs::exists(folder_ / "pwned"));
  EXPECT_EQ(result.err, "");
}

TEST_F(FakeZenityTest, FailingOrMissingDialogFallsBackToTheTerminal) {
  InstallFakeZenity(1);
  EXPECT_EQ(Run({.env = Env()}).err,
            TerminalText(NotFoundMessage(u"Template.htm")));
  // Without a display, zenity is not even tried.
  fs::remove(root_ / "zenity-args");
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  const RunResult result =
      Run({.env = {"PATH=" + (root_ / "bin").string() + ":/usr/bin:/bin"}});
  EXPECT_FALSE(fs::exists(root_ / "zenity-args"));
  EXPECT_EQ(result.out, kCreated);
}

namespace {

size_t RoundUpToPage(uintmax_t bytes) {
  return static_cast<size_t>((bytes + 4095) / 4096 * 4096);
}

// The program's folder is a small file system of its own, with room for the
// program, the template and an earlier preview but not for a new preview.
class FullDiskTest : public RunPreviewTest {
 protected:
  void SetUp() override {
    RunPreviewTest::SetUp();
    template_ = std::string(1 << 20, 'x');  // no tags: the preview is larger
    const size_t size = RoundUpToPage(fs::file_size(TEMPLATE_PREVIEW_PROGRAM)) +
                        RoundUpToPage(template_.size()) + 4096 + 64 * 1024;
    const std::string options = "size=" + std::to_string(size) + ",mode=0777";
    if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
              options.c_str()) != 0)
      GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    mounted_ = true;
    fs::copy_file(TEMPLATE_PREVIEW_PROGRAM, folder_ / "template-preview");
  }

  void TearDown() override {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    RunPreviewTest::TearDown();
  }

  std::string template_;
  bool mounted_ = false;
};

}  // namespace

TEST_F(FullDiskTest, DiskFillingUpKeepsTheEarlierPreviewAndNoTemporaryFile) {
  WriteFile(folder_ / "Template.htm", template_);
  WriteFile(folder_ / "index.htm", "earlier");
  ASSERT_EQ(ReadFile(folder_ / "Template.htm").size(), template_.size())
      << "the template itself must fit";
  const RunResult result = Run();
  // Below the message, the system's own words: "No space left on device".
  EXPECT_EQ(result.err, NotCreatedBecause(ENOSPC));
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(ReadFile(folder_ / "index.htm"), "earlier");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(RunPreviewTest, StartedThroughALinkUsesTheFolderOfTheRealProgram) {
  // The link's folder has a template and a preview of its own; neither may
  // be used or touched.
  const fs::path links = root_ / "links";
  fs::create_directory(links);
  fs::create_symlink(folder_ / "template-preview", links / "template-preview");
  WriteFile(links / "Template.htm", "<#NotThisOne#>");
  WriteFile(links / "index.htm", "earlier beside the link");
  WriteFile(folder_ / "Template.htm", "<b><#EntryDate#></b>");
  WriteFile(folder_ / "index.htm", "earlier");

  const RunResult result = Run({.program = links / "template-preview"});
  EXPECT_EQ(result.out, kCreated);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadFile(folder_ / "index.htm"),
            std::string(kCharsetTag) + "<b>1388/1/1</b>" +
                Encoded(TestPanelText()));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
  EXPECT_EQ(ReadFile(links / "index.htm"), "earlier beside the link");
  EXPECT_EQ(FileNames(links), AfterSuccess());
}

TEST_F(RunPreviewTest, LargeTemplateOf64MegabytesIsPreviewedWhole) {
  const std::string page = RealisticTemplate(64u << 20);
  WriteFile(folder_ / "Template.htm", page);
  WriteFile(folder_ / "index.htm", "earlier");
  const RunResult result = Run();
  EXPECT_EQ(result.out, kCreated);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(FolderFiles(), AfterSuccess());
  const std::optional<std::string> expected = BuildPreview(page).preview;
  ASSERT_TRUE(expected);
  const std::string written = ReadFile(folder_ / "index.htm");
  EXPECT_EQ(written.size(), expected->size());
  EXPECT_TRUE(written == *expected) << "the preview differs from BuildPreview";
}

TEST_F(RunPreviewTest, MegabytesOfOpeningsGiveAShortReport) {
  // 2^21 openings and not one close: every tag runs to the end of the page.
  // Then as many distinct tags, each a line of its own: the report is as
  // short, and what the program keeps to tell them apart stays bounded.
  constexpr size_t kOpenings = size_t{1} << 21;
  std::string openings, distinct;
  for (size_t i = 0; i < kOpenings; ++i) {
    openings += "<#";
    distinct += "<#" + std::to_string(i) + "#>";
  }
  WriteFile(folder_ / "index.htm", "earlier");
  for (const std::string* page : {&openings, &distinct}) {
    WriteFile(folder_ / "Template.htm", *page);
    const RunResult result = Run();
    EXPECT_LT(result.err.size(), 16u * 1024) << "the report stays short";
    EXPECT_TRUE(result.err.starts_with(TerminalText(kUnknownTagsHeader)))
        << result.err.substr(0, 200);
    EXPECT_LT(result.peak_kb, 3 * static_cast<long>(page->size() >> 10) + 65536)
        << "peak memory in KB";
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), "earlier");
    EXPECT_EQ(FolderFiles(), AfterSuccess());
  }
  EXPECT_TRUE(Run().err.ends_with(
      TerminalText(u"و " + DecodeWindows1256(std::to_string(kOpenings - 25)) +
                   u" مورد ديگر")));
}
