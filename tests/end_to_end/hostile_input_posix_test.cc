// Templates and circumstances meant to break a run: each ends with its
// message, an earlier index.htm survives whole unless a new preview replaces
// it, and no stray file is left.

#include <stdio.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "preview/test_panel.h"
#include "program_run-posix.h"
#include "realistic_template.h"

namespace {

constexpr uintmax_t kLimit = uintmax_t{256} << 20;

class HostileInputTest : public EarlierPreviewTest {};

}  // namespace

TEST_F(HostileInputTest, TemplateOverTheLimitIsRefusedUnread) {
  // Sparse: a byte over 256 MiB costs no disk.
  WriteFile(folder_ / "Template.htm", "");
  fs::resize_file(folder_ / "Template.htm", kLimit + 1);
  const RunResult result = Run();
  EXPECT_EQ(result.err, kTemplateTooLarge);
  EXPECT_EQ(result.out, "");
  EXPECT_LT(result.peak_kb, 64 * 1024) << "the template was read";
  ExpectEarlierPreviewKept();
}

TEST_F(HostileInputTest, LoopCopiesThatWouldPassTheLimitStopThere) {
  WriteFile(folder_ / "Template.htm", LoopCopiesPastTheLimit());
  const RunResult result = Run();
  EXPECT_EQ(result.err, kPreviewTooLarge);
  EXPECT_LT(result.peak_kb, 3 * static_cast<long>(kLimit >> 10))
      << "memory stays within a small multiple of the limit";
  ExpectEarlierPreviewKept();
}

TEST_F(HostileInputTest, NoControlCharacterReachesTheTerminal) {
  // An unknown tag that would erase the line, move back along it and print
  // the success text over the error.
  WriteFile(folder_ / "Template.htm",
            "<#\x1b[2K\b" + Encoded(u"ساخته شد index.htm فايل") + "\x1b[0m#>");
  const RunResult result = Run();
  EXPECT_EQ(result.err,
            "\u200eتگ(هاي) ناشناخته:\u200f\n\u200e\n"
            "\u200e<#\uFFFD[2K\uFFFDساخته شد index.htm فايل\uFFFD[0m#>\n");
  ExpectEarlierPreviewKept();
}

TEST_F(HostileInputTest, SignalDuringTheWriteLeavesNoTemporaryFile) {
  const std::string page = RealisticTemplate(32 << 20);
  WriteFile(folder_ / "Template.htm", page);
  // Those that ask it to end, and one that ends it outright.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    const RunResult result =
        Run({.while_writing = [signal](pid_t pid, auto&) { kill(pid, signal); },
             .ends_normally = false});
    ASSERT_TRUE(WIFSIGNALED(result.status)) << "signal " << signal;
    EXPECT_EQ(WTERMSIG(result.status), signal) << "ended by that signal";
    ExpectEarlierPreviewKept();
  }
  // Under nohup a hang-up does not end the program, nor the write.
  const RunResult result =
      Run({.while_writing = [](pid_t pid, auto&) { kill(pid, SIGHUP); },
           .hangup_ignored = true});
  EXPECT_EQ(result.out, kCreated);
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(HostileInputTest, FileSizeLimitMakesTheWriteFail) {
  WriteFile(folder_ / "Template.htm", std::string(1 << 20, 'x'));
  const RunResult result = Run({.file_size_limit = 64 * 1024});
  EXPECT_EQ(result.err, NotCreatedBecause(EFBIG));
  ExpectEarlierPreviewKept();
}

TEST_F(HostileInputTest, ClosedOutputDoesNotChangeTheOutcome) {
  WriteFile(folder_ / "Template.htm", "<p><#EntryDate#></p>");
  const std::string expected =
      std::string(kCharsetTag) + "<p>1388/1/1</p>" + Encoded(TestPanelText());
  for (const auto output :
       {RunOptions::Output::kClosed, RunOptions::Output::kReaderGone}) {
    fs::remove(folder_ / "index.htm");
    Run({.output = output});
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), expected);
    EXPECT_EQ(FolderFiles(), AfterSuccess());
  }
}

TEST_F(HostileInputTest, NewPreviewKeepsTheEarlierOnesPermissions) {
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  // The set-user-id and set-group-id bits too, as chown clears them.
  for (const auto& [umask, earlier] :
       {std::pair{022, fs::perms(0600)}, std::pair{000, fs::perms(0640)},
        std::pair{022, fs::perms(06755)}}) {
    fs::permissions(folder_ / "index.htm", earlier);
    EXPECT_EQ(Run({.umask = umask}).out, kCreated);
    EXPECT_EQ(PreviewPermissions(), earlier);
  }
  // Without an earlier one, as any new file: 0666 less the umask.
  fs::remove(folder_ / "index.htm");
  Run({.umask = 002});
  EXPECT_EQ(PreviewPermissions(), fs::perms(0664));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(HostileInputTest, ReadOnlyPreviewIsNotReplaced) {
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  fs::permissions(folder_ / "index.htm", fs::perms(0444));
  // Even for root, who could write it anyway.
  EXPECT_EQ(Run().err, kReadOnly);
  ExpectEarlierPreviewKept();
  EXPECT_EQ(PreviewPermissions(), fs::perms(0444));

  // Another user's, which this user may not write, in a folder this user
  // may write: the owner's write bit is not this user's.
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  fs::permissions(folder_ / "index.htm", fs::perms(0644));
  fs::permissions(folder_, fs::perms::all);
  EXPECT_EQ(Run({.as_user = 65534}).err, kReadOnly);
  ExpectEarlierPreviewKept();
}

TEST_F(HostileInputTest, APipeForIndexNeverStallsTheRun) {
  // Another user swaps index.htm, of the template's size (which has it
  // compared with the template byte for byte), with a pipe again and again;
  // or it is a link to one. Every run ends at once with its message.
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  const fs::path index = folder_ / "index.htm", pipe = folder_ / "pipe";
  for (int run = 0; run < 20; ++run) {
    fs::remove(index);
    fs::remove(pipe);
    WriteFile(index, "12345678");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    std::atomic<bool> stop = false;
    std::thread swapper([&] {
      while (!stop)
        renameat2(AT_FDCWD, index.c_str(), AT_FDCWD, pipe.c_str(),
                  RENAME_EXCHANGE);
    });
    const RunResult result = Run({.timeout = std::chrono::seconds(10)});
    stop = true;
    swapper.join();
    EXPECT_TRUE(result.out == kCreated || result.err.starts_with(kNotCreated))
        << result.out << result.err;
  }
  fs::remove(index);
  fs::remove(pipe);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  fs::create_symlink("pipe", index);
  EXPECT_EQ(Run({.timeout = std::chrono::seconds(10)}).err, kNotCreated);
  EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
}
