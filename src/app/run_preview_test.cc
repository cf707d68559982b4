// The run on a fake platform: which message each outcome shows, and that
// only a successful preview is written. What only a real system can show
// (files, permissions, signals, the boxes themselves) is tested end to end
// in tests/.

#include "app/run_preview.h"

#include <gtest/gtest.h>

#include <new>
#include <tuple>

#include "fake_platform.h"
#include "pipeline/build_preview.h"
#include "pipeline/messages.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class RunPreviewTest : public testing::Test {
 protected:
  void SetUp() override { ResetFakePlatform(); }

  void PutTemplate(std::string bytes) {
    Fake().files[kTemplate] = {ReadStatus::kRead, std::move(bytes)};
  }

  // Runs the program's life once; it must show exactly one message, titled
  // as every message is.
  ShownMessage Run() {
    RunPreview();
    EXPECT_EQ(Fake().shown.size(), 1u);
    if (Fake().shown.empty()) return {};
    EXPECT_EQ(Fake().shown[0].title, kMessageTitle);
    return Fake().shown[0];
  }

  void ExpectError(const ShownMessage& shown, std::u16string_view text) {
    EXPECT_EQ(shown.text, text);
    EXPECT_EQ(shown.icon, MessageIcon::kError);
  }

  const fs::path kTemplate = fs::path("tool") / "Template.htm";
  const fs::path kPreview = fs::path("tool") / "index.htm";
};

}  // namespace

TEST_F(RunPreviewTest, NoTemplateIsNamedAndNothingIsRead) {
  ExpectError(Run(), NotFoundMessage(u"Template.htm"));
  EXPECT_TRUE(Fake().read_limits.empty());
  EXPECT_TRUE(Fake().writes.empty());

  // Nor when the program cannot tell where it is.
  ResetFakePlatform();
  Fake().program_directory.reset();
  ExpectError(Run(), NotFoundMessage(u"Template.htm"));
  EXPECT_TRUE(Fake().writes.empty());
}

TEST_F(RunPreviewTest, EachWayTheTemplateCannotBeReadHasItsMessage) {
  const std::tuple<ReadStatus, int, std::u16string> cases[] = {
      // Gone, or a folder or a pipe by the time it is opened.
      {ReadStatus::kNotFound, 0, NotFoundMessage(u"Template.htm")},
      {ReadStatus::kTooLarge, 0, std::u16string(kTemplateTooLargeMessage)},
      {ReadStatus::kFailed, 0, std::u16string(kCannotOpenMessage)},
      // A call failed: the system's words for why, on a line of their own.
      {ReadStatus::kFailed, 13, std::u16string(kCannotOpenMessage) +
                                    u"\r\nerror 13"},
  };
  for (const auto& [status, error, message] : cases) {
    ResetFakePlatform();
    Fake().files[kTemplate] = {status, {}, error};
    ExpectError(Run(), message);
    EXPECT_EQ(Fake().read_limits, std::vector<size_t>{kMaxPageBytes});
    EXPECT_TRUE(Fake().writes.empty());
  }
}

TEST_F(RunPreviewTest, SuccessWritesThePipelinesBytesBesideTheProgram) {
  PutTemplate(TemplateWithEveryHighByte());
  const ShownMessage shown = Run();
  EXPECT_EQ(shown.text, kCreatedMessage);
  EXPECT_EQ(shown.icon, MessageIcon::kInformation);
  ASSERT_EQ(Fake().writes.size(), 1u);
  EXPECT_EQ(Fake().writes[0].path, kPreview);
  EXPECT_EQ(Fake().writes[0].source, kTemplate) << "the template is kept";
  EXPECT_EQ(Fake().writes[0].bytes, PreviewOfTemplateWithEveryHighByte());
}

TEST_F(RunPreviewTest, NothingIsWrittenForATemplateThePipelineRefuses) {
  // Each of the pipeline's refusals is shown as it gives it; BuildPreview's
  // own tests check the texts.
  for (const std::string& page :
       {std::string(), std::string("<#Foo#>"), std::string("\xD8\xB3 UTF-8"),
        std::string("<#End:Menu#><#Loop:Menu#>"), LoopCopiesPastTheLimit()}) {
    ResetFakePlatform();
    PutTemplate(page);
    const std::u16string expected = BuildPreview(page).message;
    ExpectError(Run(), expected);
    EXPECT_TRUE(Fake().writes.empty()) << "for the template " << page;
  }
}

TEST_F(RunPreviewTest, AFailedWriteIsToldInsteadOfSuccess) {
  const std::tuple<WriteStatus, int, std::u16string> cases[] = {
      {WriteStatus::kReadOnly, 0, std::u16string(kReadOnlyMessage)},
      {WriteStatus::kFailed, 0, std::u16string(kNotCreatedMessage)},
      {WriteStatus::kFailed, 28, std::u16string(kNotCreatedMessage) +
                                     u"\r\nerror 28"},
  };
  for (const auto& [status, error, message] : cases) {
    ResetFakePlatform();
    PutTemplate("<p>x</p>");
    Fake().write_status = status;
    Fake().write_error = error;
    ExpectError(Run(), message);
    EXPECT_EQ(Fake().writes.size(), 1u);
  }
}

TEST_F(RunPreviewTest, RunningOutOfMemoryIsToldAsNotCreated) {
  PutTemplate("<p>x</p>");
  Fake().out_of_memory_on_read = true;
  ExpectError(Run(), kNotCreatedMessage);
  EXPECT_TRUE(Fake().writes.empty());
}
