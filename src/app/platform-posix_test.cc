// The POSIX file functions on what a template's name may stand for.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

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
  EXPECT_EQ(ReadWholeFile(folder_ / "missing", 100).status, ReadStatus::kNotFound);
  for (const fs::path& path : {pipe, folder_, fs::path("/dev/zero")})
    EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_TRUE(FileExists(WriteTemplate("x")));
}

TEST_F(ReadWholeFileTest, NoMoreThanTheLimitIsRead) {
  EXPECT_EQ(ReadWholeFile(WriteTemplate("123456"), 5).status, ReadStatus::kTooLarge);
  // A file that tells no size, or a smaller one than it turns out to have,
  // as one still growing does: reading stops one byte past the limit.
  const std::string status = "/proc/self/status";
  ASSERT_EQ(fs::file_size(status), 0u);
  EXPECT_EQ(ReadWholeFile(status, 10).status, ReadStatus::kTooLarge);
  const ReadResult whole = ReadWholeFile(status, 1 << 20);
  EXPECT_EQ(whole.status, ReadStatus::kRead);
  EXPECT_TRUE(whole.bytes.starts_with("Name:")) << whole.bytes;
}

namespace {

// The file-system calls that make a preview durable and visible, in the
// order the platform makes them: the linker hands them to the wrappers
// below (see --wrap in CMakeLists.txt), which note them and go on.
std::vector<std::string> g_calls;

}  // namespace

extern "C" {
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);
int __wrap_fsync(int fd) {
  g_calls.push_back("fsync");
  return __real_fsync(fd);
}
int __wrap_rename(const char* from, const char* to) {
  g_calls.push_back("rename");
  return __real_rename(from, to);
}
}

namespace {

class ReplaceFileContentsTest : public ReadWholeFileTest {
 protected:
  fs::path Index() const { return folder_ / "index.htm"; }
  // The name the n-th temporary file of this process gets beside index.htm.
  fs::path TemporaryName(int n) const {
    return Index().string() + "." + std::to_string(getpid()) + "-" +
           std::to_string(n) + ".tmp";
  }
};

}  // namespace

TEST_F(ReplaceFileContentsTest, DataIsOnDiskBeforeItTakesTheName) {
  // Otherwise a crash right after the rename can leave index.htm empty or
  // cut short.
  WriteFile(Index(), "earlier");
  g_calls.clear();
  EXPECT_EQ(ReplaceFileContents(Index(), "new"), WriteStatus::kWritten);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"fsync", "rename"}));
  EXPECT_EQ(ReadFile(Index()), "new");
}

TEST_F(ReplaceFileContentsTest, TemporaryNamesTakenByOthersAreSkippedNotFollowed) {
  // A link at the first name, planted to have the preview written through
  // it, and a file of someone else's at the second.
  WriteFile(folder_ / "victim", "victim");
  fs::create_symlink(folder_ / "victim", TemporaryName(0));
  WriteFile(TemporaryName(1), "taken");
  EXPECT_EQ(ReplaceFileContents(Index(), "new"), WriteStatus::kWritten);
  EXPECT_EQ(ReadFile(Index()), "new");
  EXPECT_EQ(ReadFile(folder_ / "victim"), "victim");
  EXPECT_TRUE(fs::is_symlink(TemporaryName(0)));
  EXPECT_EQ(ReadFile(TemporaryName(1)), "taken");
  EXPECT_EQ(FileNames(folder_).size(), 4u) << "no temporary file of ours is left";
}
