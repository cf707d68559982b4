// The POSIX file functions on what a template's name may stand for.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "app/platform.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

class ReadWholeFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "platform-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path WriteTemplate(std::string_view bytes) {
    WriteFile(folder_ / "Template.htm", bytes);
    return folder_ / "Template.htm";
  }

  fs::path folder_;
};

}  // namespace

TEST_F(ReadWholeFileTest, ReadsEveryByteOfARegularFile) {
  const std::string bytes("a\0\r\n\xFF", 5);
  const ReadResult read = ReadWholeFile(WriteTemplate(bytes), 5);
  EXPECT_EQ(read.status, ReadStatus::kRead);
  EXPECT_EQ(read.bytes, bytes);
  EXPECT_EQ(ReadWholeFile(WriteTemplate(""), 5).status, ReadStatus::kRead);
}

TEST_F(ReadWholeFileTest, AnythingButARegularFileIsNotFound) {
  // Checked through the opened handle: a pipe put in the file's place after
  // it was found must neither block the read nor be read.
  const fs::path pipe = folder_ / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  EXPECT_EQ(ReadWholeFile(pipe, 100).status, ReadStatus::kNotFound);
  EXPECT_EQ(ReadWholeFile(folder_, 100).status, ReadStatus::kNotFound);
  EXPECT_EQ(ReadWholeFile("/dev/zero", 100).status, ReadStatus::kNotFound);
  EXPECT_EQ(ReadWholeFile(folder_ / "missing", 100).status,
            ReadStatus::kNotFound);
  for (const fs::path& path : {pipe, folder_, fs::path("/dev/zero")})
    EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_TRUE(FileExists(WriteTemplate("x")));
}

TEST_F(ReadWholeFileTest, NoMoreThanTheLimitIsRead) {
  EXPECT_EQ(ReadWholeFile(WriteTemplate("123456"), 5).status,
            ReadStatus::kTooLarge);
  // A file that tells no size, or a smaller one than it turns out to have,
  // as one still growing does: reading stops one byte past the limit.
  // (The test's own command line: it stays the same from read to read.)
  const std::string told_none = "/proc/self/cmdline";
  ASSERT_EQ(fs::file_size(told_none), 0u);
  EXPECT_EQ(ReadWholeFile(told_none, 10).status, ReadStatus::kTooLarge);
  const ReadResult whole = ReadWholeFile(told_none, 1 << 20);
  EXPECT_EQ(whole.status, ReadStatus::kRead);
  EXPECT_NE(whole.bytes.find("platform_tests"), std::string::npos) << whole.bytes;
}

namespace {

// The file-system calls that create the new preview and make it durable
// and visible, in the order the platform makes them: the linker hands them
// to the wrappers below (see --wrap in CMakeLists.txt), which note them and
// go on, or refuse unnamed files as file systems without them do.
std::vector<std::string> g_calls;
std::vector<mode_t> g_created_modes;  // the mode of every file created
bool g_refuse_unnamed_files = false;
bool g_fail_rename = false;
int g_signal_once_named = 0;  // raised as soon as the new file has a name
int g_reads = 0;              // of the whole file, each from its start

void NoteNamed(int result) {
  g_calls.push_back("name");
  if (result == 0 && g_signal_once_named) raise(g_signal_once_named);
}

}  // namespace

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_fsync(int fd);
int __real_linkat(int from_dir, const char* from, int to_dir, const char* to,
                  int flags);
int __real_rename(const char* from, const char* to);
int __real_fchmod(int fd, mode_t mode);
off_t __real_lseek(int fd, off_t offset, int whence);
int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
    g_created_modes.push_back(mode);
  }
  if ((flags & O_TMPFILE) == O_TMPFILE && g_refuse_unnamed_files) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const int fd = __real_open(path, flags, mode);
  if ((flags & O_EXCL) != 0 && fd != -1) NoteNamed(0);
  return fd;
}
int __wrap_fsync(int fd) {
  g_calls.push_back("fsync");
  return __real_fsync(fd);
}
int __wrap_linkat(int from_dir, const char* from, int to_dir, const char* to,
                  int flags) {
  const int result = __real_linkat(from_dir, from, to_dir, to, flags);
  NoteNamed(result);
  return result;
}
int __wrap_rename(const char* from, const char* to) {
  g_calls.push_back("rename");
  if (!g_fail_rename) return __real_rename(from, to);
  errno = EIO;
  return -1;
}
int __wrap_fchmod(int fd, mode_t mode) {
  g_calls.push_back("mode");
  return __real_fchmod(fd, mode);
}
off_t __wrap_lseek(int fd, off_t offset, int whence) {
  ++g_reads;
  return __real_lseek(fd, offset, whence);
}
}

TEST_F(ReadWholeFileTest, ATimePastWhatTheClockHoldsReadsAsAMomentAgo) {
  // Modified in the year 2302 or 1638, past the clock's nanoseconds: read
  // twice, as a file just saved, with nothing overflowing.
  // On the disk, or on tmpfs, which keeps any time where ext4 keeps none
  // before 1901.
  const fs::path shm = "/dev/shm/platform-test-" + std::to_string(getpid());
  for (const time_t seconds : {10'485'000'000, -10'485'000'000}) {
    const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
    const auto stamped = [&](const fs::path& file) {
      struct stat info;
      WriteFile(file, "x");
      return utimensat(AT_FDCWD, file.c_str(), times, 0) == 0 &&
             stat(file.c_str(), &info) == 0 && info.st_mtime == seconds;
    };
    const fs::path on_disk = folder_ / "Template.htm";
    const fs::path file = stamped(on_disk) ? on_disk : shm;
    if (file == shm && (!fs::is_directory("/dev/shm") || !stamped(shm)))
      GTEST_SKIP() << "no file system here keeps the time " << seconds;
    g_reads = 0;
    EXPECT_EQ(ReadWholeFile(file, 5).bytes, "x");
    EXPECT_EQ(g_reads, 2) << seconds;
  }
  fs::remove(shm);
}

namespace {

// Each case twice: where the file system gives the new file no name until
// it is complete, and where it has a temporary name from the start.
class ReplaceFileContentsTest : public ReadWholeFileTest,
                                public testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ReadWholeFileTest::SetUp();
    g_refuse_unnamed_files = GetParam();
    g_calls.clear();
    g_created_modes.clear();
  }
  void TearDown() override {
    g_refuse_unnamed_files = false;
    g_fail_rename = false;
    ReadWholeFileTest::TearDown();
  }
  fs::path Index() const { return folder_ / "index.htm"; }
  WriteStatus Replace(std::string_view bytes) {
    return ReplaceFileContents(Index(), bytes, folder_ / "Template.htm").status;
  }
  // The name the n-th temporary file of this process gets beside index.htm.
  fs::path TemporaryName(int n) const {
    return Index().string() + "." + std::to_string(getpid()) + "-" +
           std::to_string(n) + ".tmp";
  }
};

INSTANTIATE_TEST_SUITE_P(UnnamedOrNamed, ReplaceFileContentsTest,
                         testing::Bool());

}  // namespace

TEST_P(ReplaceFileContentsTest, DataIsOnDiskBeforeItTakesItsModeAndName) {
  // Otherwise a crash right after the rename can leave index.htm empty or
  // cut short, and others could read the new file as it grows, where it has
  // a name from the start.
  WriteFile(Index(), "earlier");
  EXPECT_EQ(Replace("new"), WriteStatus::kWritten);
  const std::vector<std::string> expected =
      GetParam() ? std::vector<std::string>{"name", "fsync", "mode", "rename"}
                 : std::vector<std::string>{"fsync", "mode", "name", "rename"};
  EXPECT_EQ(g_calls, expected);
  EXPECT_EQ(ReadFile(Index()), "new");
}

TEST_P(ReplaceFileContentsTest, NobodyElseCanReadTheNewFileBeforeItIsDone) {
  // Created for its owner alone, whatever the umask; the final mode comes
  // once the earlier file's settings are known.
  WriteFile(Index(), "earlier");
  fs::permissions(Index(), fs::perms(0644));
  const mode_t umask = ::umask(0);
  EXPECT_EQ(Replace("new"), WriteStatus::kWritten);
  ::umask(umask);
  ASSERT_FALSE(g_created_modes.empty());
  for (const mode_t mode : g_created_modes) EXPECT_EQ(mode & 077, 0u) << mode;
  EXPECT_EQ(fs::status(Index()).permissions(), fs::perms(0644));
}

TEST_P(ReplaceFileContentsTest,
       TemporaryNamesTakenByOthersAreSkippedNotFollowed) {
  // A link at the first name, planted to have the preview written through
  // it, and at the second the file of a run still writing it (locked), in
  // another process namespace where it has the same process id.
  WriteFile(folder_ / "victim", "victim");
  fs::create_symlink(folder_ / "victim", TemporaryName(0));
  WriteFile(TemporaryName(1), "taken");
  const int held = open(TemporaryName(1).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  EXPECT_EQ(Replace("new"), WriteStatus::kWritten);
  close(held);
  EXPECT_EQ(ReadFile(Index()), "new");
  EXPECT_EQ(ReadFile(folder_ / "victim"), "victim");
  EXPECT_TRUE(fs::is_symlink(TemporaryName(0)));
  EXPECT_EQ(ReadFile(TemporaryName(1)), "taken");
  EXPECT_EQ(FileNames(folder_).size(), 4u)
      << "no temporary file of ours is left";
}

TEST_P(ReplaceFileContentsTest, AFailedRenameLeavesNothingBehind) {
  WriteFile(Index(), "earlier");
  g_fail_rename = true;
  EXPECT_EQ(Replace("new"), WriteStatus::kFailed);
  EXPECT_EQ(ReadFile(Index()), "earlier");
  EXPECT_EQ(FileNames(folder_), std::set<fs::path>{"index.htm"});
}

TEST_P(ReplaceFileContentsTest, AnEndingSignalAsTheFileIsNamedRemovesIt) {
  // SIGTERM the moment the new file has a name: it must wait until the
  // handler knows the file, and the handler must remove it.
  WriteFile(Index(), "earlier");
  const pid_t child = fork();
  if (child == 0) {
    g_signal_once_named = SIGTERM;
    Replace("new");
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(ReadFile(Index()), "earlier");
  EXPECT_EQ(FileNames(folder_), std::set<fs::path>{"index.htm"});
}
