// The POSIX file functions on what a template's name may stand for.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/platform.h"

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

  fs::path WriteFile(std::string_view bytes) {
    const fs::path path = folder_ / "Template.htm";
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  fs::path folder_;
};

}  // namespace

TEST_F(ReadWholeFileTest, ReadsEveryByteOfARegularFile) {
  const std::string bytes("a\0\r\n\xFF", 5);
  const ReadResult read = ReadWholeFile(WriteFile(bytes), 5);
  EXPECT_EQ(read.status, ReadStatus::kRead);
  EXPECT_EQ(read.bytes, bytes);
  EXPECT_EQ(ReadWholeFile(WriteFile(""), 5).status, ReadStatus::kRead);
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
}

TEST_F(ReadWholeFileTest, NoMoreThanTheLimitIsRead) {
  EXPECT_EQ(ReadWholeFile(WriteFile("123456"), 5).status, ReadStatus::kTooLarge);
  // A file that tells no size, or a smaller one than it turns out to have,
  // as one still growing does: reading stops one byte past the limit.
  const std::string status = "/proc/self/status";
  ASSERT_EQ(fs::file_size(status), 0u);
  EXPECT_EQ(ReadWholeFile(status, 10).status, ReadStatus::kTooLarge);
  const ReadResult whole = ReadWholeFile(status, 1 << 20);
  EXPECT_EQ(whole.status, ReadStatus::kRead);
  EXPECT_TRUE(whole.bytes.starts_with("Name:")) << whole.bytes;
}
