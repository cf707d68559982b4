// The files designers really have: templates saved by today's editors or
// while the tool reads them, previews that are links, that carry a group,
// an ACL or extended attributes, and what a run killed outright leaves.
// Each run starts with an earlier index.htm, which must survive whole
// unless a new preview replaces it; no stray file may be left.

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "pipeline/build_preview.h"
#include "program_run-posix.h"
#include "realistic_template.h"

namespace {

class UserFilesTest : public EarlierPreviewTest {
 protected:
  fs::path Index() const { return folder_ / "index.htm"; }
  std::string ExpectedPreview(const std::string& page) const {
    return BuildPreview(page).preview.value();
  }
};

// An ACL as the kernel keeps it in "system.posix_acl_access": user::rw-,
// user:65534:r--, group::r--, mask::r--, other::---.
std::string AccessControlList() {
  std::string acl("\x02\0\0\0", 4);
  const auto entry = [&acl](uint16_t tag, uint16_t permissions, uint32_t id) {
    for (int b = 0; b < 2; ++b) acl += static_cast<char>(tag >> (8 * b));
    for (int b = 0; b < 2; ++b)
      acl += static_cast<char>(permissions >> (8 * b));
    for (int b = 0; b < 4; ++b) acl += static_cast<char>(id >> (8 * b));
  };
  entry(0x01, 6, UINT32_MAX);
  entry(0x02, 4, 65534);
  entry(0x04, 4, UINT32_MAX);
  entry(0x10, 4, UINT32_MAX);
  entry(0x20, 0, UINT32_MAX);
  return acl;
}

std::string Attribute(const fs::path& file, const char* name) {
  std::string value(256, '\0');
  const ssize_t n = getxattr(file.c_str(), name, value.data(), value.size());
  return n < 0 ? "<none>" : value.substr(0, static_cast<size_t>(n));
}

}  // namespace

TEST_F(UserFilesTest, TemplateInAnotherEncodingIsRefused) {
  // UTF-8 as today's editors save it, with and without a byte-order mark,
  // and UTF-16 as their "Unicode".
  for (const std::string& page :
       {std::string("<p>\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85</p>"),
        std::string("\xEF\xBB\xBF<p>x</p>"),
        std::string("\xFF\xFE<\0p\0", 6)}) {
    WriteFile(folder_ / "Template.htm", page);
    const RunResult result = Run();
    EXPECT_EQ(result.err, TerminalText(kOtherEncodingMessage));
    ExpectEarlierPreviewKept();
  }
}

TEST_F(UserFilesTest, NewPreviewIsNeverOpenToOthersWhileWritten) {
  // Large enough to be seen while it is written; with no umask, a file
  // created with the usual 0666 would be open to all.
  WriteFile(folder_ / "Template.htm", RealisticTemplate(16 << 20));
  fs::permissions(Index(), fs::perms(0600));
  mode_t seen = 0777;
  Run({.umask = 0, .while_writing = [&seen](pid_t, const fs::path& file) {
         struct stat info;
         if (stat(file.c_str(), &info) == 0) seen = info.st_mode & 0777;
       }});
  EXPECT_EQ(seen & 077, 0u) << "mode while written: " << std::oct << seen;
  EXPECT_EQ(PreviewPermissions(), fs::perms(0600));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(UserFilesTest, WhatAKilledRunLeftIsRemovedByTheNext) {
  // A run killed outright (SIGKILL, a power cut) leaves its temporary file;
  // the next removes it. Not one a run still writes, which it holds locked
  // (whether its process id runs here tells nothing: it may run in another
  // process namespace or on another machine), nor another user's, nor
  // anything merely named alike.
  const std::string left = "index.htm.4321-0.tmp";
  const std::string written = "index.htm.4321-1.tmp";
  const std::string others = "index.htm.4321-2.tmp";
  const std::set<fs::path> alike = {"index.htm.4321-0.tmp.bak",
                                    "index.htm.4321-0.bak"};
  for (const std::string& name : {left, written, others})
    WriteFile(folder_ / name, "part of a preview");
  for (const fs::path& name : alike) WriteFile(folder_ / name, "the user's");
  const int held = open((folder_ / written).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown((folder_ / others).c_str(), 65534, 65534), 0);
  }
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run().out, kCreated);
  close(held);
  std::set<fs::path> expected = AfterSuccess();
  expected.insert(alike.begin(), alike.end());
  expected.insert(written);
  if (root) expected.insert(others);
  EXPECT_EQ(FolderFiles(), expected);
}

TEST_F(UserFilesTest, ReplacingKeepsGroupModeAclAndExtendedAttributes) {
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(Index().c_str(), 0, 65534), 0);
  }
  const std::string acl = AccessControlList();
  if (setxattr(Index().c_str(), "user.designer", "kept", 4, 0) != 0 ||
      setxattr(Index().c_str(), "system.posix_acl_access", acl.data(),
               acl.size(), 0) != 0)
    GTEST_SKIP() << "no extended attributes or ACLs here";
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(ReadFile(Index()), ExpectedPreview("<p>x</p>"));
  struct stat info;
  ASSERT_EQ(stat(Index().c_str(), &info), 0);
  if (root) {
    EXPECT_EQ(info.st_gid, 65534u) << "the group";
  }
  EXPECT_EQ(info.st_mode & 07777, 0640u) << "the mode the ACL's mask gives";
  EXPECT_EQ(Attribute(Index(), "user.designer"), "kept");
  EXPECT_EQ(Attribute(Index(), "system.posix_acl_access"), acl);
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(UserFilesTest, ALinkNamedIndexIsFollowedAndStaysALink) {
  // index.htm linked into a web folder, as designers do.
  const fs::path web = root_ / "web";
  fs::create_directory(web);
  WriteFile(web / "page.htm", kEarlier);
  fs::remove(Index());
  fs::create_symlink("../web/page.htm", Index());
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(fs::read_symlink(Index()), "../web/page.htm");
  EXPECT_EQ(ReadFile(web / "page.htm"), ExpectedPreview("<p>x</p>"));
  EXPECT_EQ(FileNames(web), std::set<fs::path>{"page.htm"});
  EXPECT_EQ(FolderFiles(), AfterSuccess());

  // Through a link, a read-only file is kept as one named index.htm is.
  fs::permissions(web / "page.htm", fs::perms(0444));
  EXPECT_EQ(Run().err, kReadOnly);
  EXPECT_EQ(ReadFile(web / "page.htm"), ExpectedPreview("<p>x</p>"));

  // A target not there yet is made, where its folder is.
  fs::remove(web / "page.htm");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(ReadFile(web / "page.htm"), ExpectedPreview("<p>x</p>"));
  EXPECT_TRUE(fs::is_symlink(Index()));

  // Not into a folder that is not there, nor over a folder.
  for (const char* target : {"../nowhere/page.htm", "../web"}) {
    fs::remove(Index());
    fs::create_symlink(target, Index());
    EXPECT_EQ(Run().err, kNotCreated) << target;
    EXPECT_EQ(fs::read_symlink(Index()), target);
  }
  EXPECT_EQ(FileNames(web), std::set<fs::path>{"page.htm"});
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(UserFilesTest, TemplateSavedWhileReadIsNeverPreviewedInPart) {
  // An editor saving in place empties the file and writes it anew, here
  // again and again while the program runs: whatever it reads is either
  // the whole template or nothing but the cannot-open message.
  const std::string page = RealisticTemplate(4 << 20);
  WriteFile(folder_ / "Template.htm", page);
  std::atomic<bool> stop = false;
  std::thread editor([&] {
    const int fd = open((folder_ / "Template.htm").c_str(), O_WRONLY);
    constexpr size_t kPiece = 64 << 10;  // as an editor's buffer writes it
    while (!stop) {
      EXPECT_EQ(ftruncate(fd, 0), 0);
      for (size_t at = 0; at < page.size(); at += kPiece) {
        const size_t n = std::min(kPiece, page.size() - at);
        EXPECT_EQ(pwrite(fd, page.data() + at, n, static_cast<off_t>(at)),
                  static_cast<ssize_t>(n));
      }
    }
    close(fd);
  });
  for (int run = 0; run < 5; ++run) {
    const RunResult result = Run();
    if (result.out == kCreated) {
      EXPECT_TRUE(ReadFile(Index()) == ExpectedPreview(page));
      WriteFile(Index(), kEarlier);
    } else {
      EXPECT_EQ(result.err, TerminalText(kCannotOpenMessage));
    }
    ExpectEarlierPreviewKept();
  }
  stop = true;
  editor.join();
}
