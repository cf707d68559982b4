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

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "pipeline/build_preview.h"
#include "program_run-posix.h"
#include "realistic_template.h"

namespace {

class UserFilesTest : public EarlierPreviewTest {};

// An ACL as the kernel keeps it ("system.posix_acl_access" and
// "system.posix_acl_default"): a version, then each entry's tag,
// permissions and id.
struct AclEntry {
  uint16_t tag;  // 0x01 the owner, 0x02 a user, 0x04 the group, 0x10 the
                 // mask, 0x20 others
  uint16_t permissions;
  uint32_t id = UINT32_MAX;
};
std::string Acl(std::initializer_list<AclEntry> entries) {
  std::string acl("\x02\0\0\0", 4);
  for (const AclEntry& entry : entries) {
    for (int b = 0; b < 2; ++b) acl += static_cast<char>(entry.tag >> (8 * b));
    for (int b = 0; b < 2; ++b)
      acl += static_cast<char>(entry.permissions >> (8 * b));
    for (int b = 0; b < 4; ++b) acl += static_cast<char>(entry.id >> (8 * b));
  }
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

namespace {

// Each case on the local disk, where the new file has no name until it is
// complete, and on a FUSE folder, where it has one from the start.
class LocalOrFuseFolderTest : public MountedFolderTest,
                              public testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    MountedFolderTest::SetUp();
    if (GetParam() && !MountFuseFolder())
      GTEST_SKIP() << "no FUSE folder here (needs root and bindfs)";
  }
};

INSTANTIATE_TEST_SUITE_P(Folders, LocalOrFuseFolderTest, testing::Bool(),
                         [](const auto& param) {
                           return param.param ? "Fuse" : "Local";
                         });

}  // namespace

TEST_P(LocalOrFuseFolderTest, NewPreviewIsNeverOpenToOthersBeforeItIsWhole) {
  // Large enough to be watched as it is written. With no umask and an
  // earlier preview open to all, a file given its mode too early could be
  // read by others as it grows.
  const std::string page = RealisticTemplate(16 << 20);
  const std::string preview = ExpectedPreview(page);
  WriteFile(folder_ / "Template.htm", page);
  fs::permissions(Index(), fs::perms(0644));
  size_t looks = 0;
  std::string early;
  Run({.umask = 0, .while_writing = [&](pid_t, const fs::path& file) {
         struct stat info, first = {};
         // Until it is closed: the link then goes, or, once the number is
         // given to another file (the sanitizers' own at exit), leads there.
         while (stat(file.c_str(), &info) == 0) {
           if (looks++ == 0) first = info;
           if (info.st_dev != first.st_dev || info.st_ino != first.st_ino)
             break;
           if ((info.st_mode & 077) != 0 && early.empty() &&
               static_cast<size_t>(info.st_size) < preview.size())
             early = std::to_string(info.st_size) + " bytes, mode " +
                     std::to_string(info.st_mode & 0777);
         }
       }});
  EXPECT_EQ(early, "") << "open to others before it was whole";
  EXPECT_GT(looks, 0u);
  EXPECT_EQ(PreviewPermissions(), fs::perms(0644));
  EXPECT_TRUE(ReadFile(Index()) == preview);
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(MountedFolderTest, TheTemplateAndTheProgramAreKeptThroughAMirror) {
  // A FUSE mirror shows them with other device and inode numbers: index.htm
  // linked to them through the folder under it is refused all the same.
  if (!MountFuseFolder()) GTEST_SKIP() << "no FUSE folder here";
  const std::string program = ReadFile(folder_ / "template-preview");
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  for (const char* name : {"Template.htm", "template-preview"}) {
    fs::remove(Index());
    fs::create_symlink(root_ / "backing" / name, Index());
    EXPECT_EQ(Run().err, kNotCreated) << name;
    EXPECT_EQ(ReadFile(folder_ / "Template.htm"), "<p>x</p>");
    EXPECT_TRUE(ReadFile(folder_ / "template-preview") == program);
  }
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(MountedFolderTest, PreviewIsMadeOnAFatFileSystem) {
  // FAT sticks keep no modes, owners or attributes: setting them fails,
  // which must not cost the preview, with an earlier one or without. Open
  // to all, fusefat shows every file as root's: what a run of nobody's
  // killed outright left is nobody's to remove.
  const fs::path image = root_ / "fat.img";
  WriteFile(image, "");
  fs::resize_file(image, 64 << 20);
  if (std::system(
          ("mkfs.vfat '" + image.string() + "' >/dev/null 2>&1").c_str()) !=
          0 ||
      !Mount("fusefat -o rw+,allow_other,umask=000 '" + image.string() + "'"))
    GTEST_SKIP() << "no FAT file system here (needs root, dosfstools, fusefat)";
  const std::string page = "<p><#EntryDate#></p>";
  WriteFile(folder_ / "Template.htm", page);
  WriteFile(folder_ / "index.htm.4321-0.tmp", "part of a preview");
  for (const bool earlier : {true, false}) {
    if (!earlier) fs::remove(folder_ / "index.htm");
    EXPECT_EQ(Run({.as_user = 65534}).out, kCreated)
        << "with an earlier preview: " << earlier;
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), ExpectedPreview(page));
    EXPECT_EQ(FolderFiles(), AfterSuccess());
  }
}

namespace {

// The process, in whatever namespace, that has the new preview of the
// program's folder `folder` open; 0 when none does within ten seconds.
pid_t ProcessWriting(const fs::path& folder) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code gone;
    for (const auto& process : fs::directory_iterator("/proc", gone)) {
      const std::string pid = process.path().filename().string();
      if (pid.find_first_not_of("0123456789") == std::string::npos &&
          NewPreviewOpenBy(std::stoi(pid), folder))
        return std::stoi(pid);
    }
  }
  return 0;
}

}  // namespace

TEST_F(MountedFolderTest, RunsInOtherProcessNamespacesShareAFolder) {
  // A run in a container sharing the folder has a process id that means
  // nothing outside it, where that id may be free. On a FUSE folder its
  // file has its temporary name while it is written: the run outside must
  // not take it for a killed run's and remove it.
  if (!MountFuseFolder())
    GTEST_SKIP() << "no FUSE folder here (needs root and bindfs)";
  // What the run below needs, tried as it is: a container may refuse a new
  // /proc even where it allows a new process namespace.
  if (std::system("unshare --pid --fork --mount-proc true >/dev/null 2>&1") !=
      0)
    GTEST_SKIP() << "unshare --pid --fork --mount-proc cannot work here";
  // The contained run gets the process id `free`, which nothing here has.
  int free = 32000;
  while (free > 300 && fs::exists("/proc/" + std::to_string(free))) --free;
  const std::string page = RealisticTemplate(4 << 20);
  WriteFile(folder_ / "Template.htm", page);
  RunResult contained;
  std::thread container([&] {
    contained =
        Run({.through = {"/usr/bin/unshare", "--pid", "--fork", "--mount-proc",
                         "/bin/sh", "-c",
                         "echo " + std::to_string(free - 1) +
                             " >/proc/sys/kernel/ns_last_pid && \"$0\""}});
  });
  // Held still while its file has its name, until the other run is done.
  const pid_t writer = ProcessWriting(folder_);
  if (writer == 0) {
    // Nothing to judge: a loaded machine let it finish between two looks.
    container.join();
    ASSERT_EQ(contained.out, kCreated);
    GTEST_SKIP() << "the contained run was done before it could be held";
  }
  kill(writer, SIGSTOP);
  const RunResult outside = Run();
  kill(writer, SIGCONT);
  container.join();
  EXPECT_EQ(outside.out, kCreated);
  EXPECT_EQ(contained.out, kCreated);
  EXPECT_TRUE(ReadFile(folder_ / "index.htm") == ExpectedPreview(page));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(UserFilesTest, WhatAKilledRunLeftIsRemovedByTheNext) {
  // A run killed outright (SIGKILL, a power cut) leaves its temporary file,
  // with the earlier file's mode (0200 lets its owner write, not read); the
  // next run of a user who could have made it removes it. Not one a run
  // still writes, which it holds locked (whether its process id runs here
  // tells nothing: it may run in another process namespace or on another
  // machine), nor another user's, nor anything merely named alike. As root,
  // the user is nobody and the other user root.
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
  const uid_t user = root ? 65534 : geteuid();
  for (const fs::path& name : {fs::path(left), fs::path("index.htm")})
    ASSERT_EQ(chown((folder_ / name).c_str(), user, user), 0);
  fs::permissions(folder_ / left, fs::perms(0200));
  fs::permissions(folder_ / others, fs::perms(0666));
  fs::permissions(folder_, fs::perms::all);
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run({.as_user = root ? user : static_cast<uid_t>(-1)}).out,
            kCreated);
  std::set<fs::path> expected = AfterSuccess();
  expected.insert(alike.begin(), alike.end());
  expected.insert(written);
  if (root) expected.insert(others);
  EXPECT_EQ(FolderFiles(), expected);

  // Root's runs give the new file the earlier one's owner, so a root run
  // killed then left a file of any owner.
  if (root) {
    ASSERT_EQ(chown((folder_ / others).c_str(), 65534, 65534), 0);
    EXPECT_EQ(Run().out, kCreated);
    expected.erase(others);
    EXPECT_EQ(FolderFiles(), expected);
  }
  close(held);
}

TEST_F(UserFilesTest, ReplacingKeepsGroupModeAclAndExtendedAttributes) {
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(Index().c_str(), 0, 65534), 0);
  }
  // user::rw-, user:65534:r--, group::r--, mask::r--, other::---
  const std::string acl =
      Acl({{0x01, 6}, {0x02, 4, 65534}, {0x04, 4}, {0x10, 4}, {0x20, 0}});
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

  // Run by nobody, in a folder that gives new files root's group: nogroup
  // is kept without the owner, root; group 100 cannot be, and the file's
  // group, root, gets no more than others had.
  if (!root) return;
  // Where the group had less than others, it keeps that: 0604 stays 0604.
  fs::permissions(folder_, fs::perms(02777));
  for (const auto& [owner, group, mode, kept_group, kept_mode] :
       {std::array{0u, 65534u, 0664u, 65534u, 0664u},
        std::array{65534u, 100u, 0664u, 0u, 0644u},
        std::array{65534u, 100u, 0604u, 0u, 0604u}}) {
    fs::remove(Index());
    WriteFile(Index(), kEarlier);
    ASSERT_EQ(chown(Index().c_str(), owner, group), 0);
    fs::permissions(Index(), fs::perms(mode));
    EXPECT_EQ(Run({.as_user = 65534}).out, kCreated);
    ASSERT_EQ(stat(Index().c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, kept_group) << group;
    EXPECT_EQ(info.st_mode & 07777, kept_mode) << group;
  }
}

TEST_F(MountedFolderTest, AnAclTheFolderCannotTakeOpensTheGroupToNothing) {
  // Through a FUSE folder that refuses extended attributes, an earlier
  // preview whose ACL gives its group nothing shows the mask's bits (0640):
  // the new file, which cannot carry the ACL, gives the group nothing.
  fs::create_directory(root_ / "backing");
  if (!Mount("bindfs --xattr-none '" + (root_ / "backing").string() + "'"))
    GTEST_SKIP() << "no FUSE folder here (needs root and bindfs)";
  // user::rw-, group::---, mask::r--, other::---
  const std::string acl = Acl({{0x01, 6}, {0x04, 0}, {0x10, 4}, {0x20, 0}});
  if (setxattr((root_ / "backing" / "index.htm").c_str(),
               "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "no ACLs under the FUSE folder";
  ASSERT_EQ(PreviewPermissions(), fs::perms(0640));
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(PreviewPermissions(), fs::perms(0600));
  EXPECT_EQ(FolderFiles(), AfterSuccess());
}

TEST_F(UserFilesTest, AFolderDefaultAclOpensTheNewPreviewToNoOneNew) {
  // The folder gives new files an entry for another user; the earlier
  // preview has none, and the new one must not have it either.
  // user::rw-, user:65534:rw-, group::r--, mask::rw-, other::---
  const std::string folder_acl =
      Acl({{0x01, 6}, {0x02, 6, 65534}, {0x04, 4}, {0x10, 6}, {0x20, 0}});
  if (setxattr(folder_.c_str(), "system.posix_acl_default", folder_acl.data(),
               folder_acl.size(), 0) != 0)
    GTEST_SKIP() << "no ACLs here";
  fs::permissions(Index(), fs::perms(0640));
  WriteFile(folder_ / "Template.htm", "<p>x</p>");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_EQ(Attribute(Index(), "system.posix_acl_access"), "<none>");
  EXPECT_EQ(PreviewPermissions(), fs::perms(0640));

  // Without an earlier preview, the new one gets what the folder gives a
  // file made as usual, whatever the umask.
  fs::remove(Index());
  const fs::path usual = root_ / "usual.htm";
  close(open((folder_ / "usual.htm").c_str(), O_CREAT | O_WRONLY, 0666));
  fs::rename(folder_ / "usual.htm", usual);
  EXPECT_EQ(Run({.umask = 022}).out, kCreated);
  EXPECT_EQ(Attribute(Index(), "system.posix_acl_access"),
            Attribute(usual, "system.posix_acl_access"));
  EXPECT_EQ(PreviewPermissions(), fs::status(usual).permissions());
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

  // Not into a folder that is not there, nor over a folder, nor over the
  // template or the program, whatever links lead there.
  fs::create_symlink("../tool/Template.htm", web / "template.htm");
  for (const char* target : {"../nowhere/page.htm", "../web", "Template.htm",
                             "../web/template.htm", "template-preview"}) {
    fs::remove(Index());
    fs::create_symlink(target, Index());
    EXPECT_EQ(Run().err, target == std::string("../nowhere/page.htm")
                             ? NotCreatedBecause(ENOENT)
                             : kNotCreated)
        << target;
    EXPECT_EQ(fs::read_symlink(Index()), target);
    EXPECT_EQ(ReadFile(folder_ / "Template.htm"), "<p>x</p>");
  }
  EXPECT_EQ(FileNames(web), (std::set<fs::path>{"page.htm", "template.htm"}));
  EXPECT_EQ(FolderFiles(), AfterSuccess());

  // Through a chain of links, each relative to its own folder (not to the
  // working directory).
  fs::remove(Index());
  fs::create_symlink("../web/link.htm", Index());
  fs::create_symlink("page.htm", web / "link.htm");
  EXPECT_EQ(Run().out, kCreated);
  EXPECT_TRUE(fs::is_symlink(web / "link.htm"));
  EXPECT_EQ(ReadFile(web / "page.htm"), ExpectedPreview("<p>x</p>"));

  // In a sticky folder open to all (as /tmp), as the kernel's own rule
  // would: for nobody, not the link of another user (daemon) when the
  // folder is not theirs either; nobody's own and the folder owner's
  // (root's) are followed, and any in a folder only sticky or only open.
  if (geteuid() != 0) return;
  fs::permissions(web, fs::perms::all);
  for (const auto& [mode, owner] :
       {std::pair{01777u, 1u}, {01777u, 65534u}, {01777u, 0u}, {0777u, 1u},
        {01755u, 1u}}) {
    fs::permissions(folder_, fs::perms(mode));
    WriteFile(web / "page.htm", kEarlier);
    fs::permissions(web / "page.htm", fs::perms(0666));
    ASSERT_EQ(lchown(Index().c_str(), owner, owner), 0);
    const bool refused = mode == 01777u && owner == 1;
    const RunResult result = Run({.as_user = 65534});
    EXPECT_EQ(refused ? result.err : result.out,
              refused ? kNotCreated : kCreated)
        << std::oct << mode << " " << owner;
    EXPECT_EQ(ReadFile(web / "page.htm") == kEarlier, refused);
  }
}

TEST_F(UserFilesTest, TemplateSavedWhileReadIsNeverPreviewedInPart) {
  // An editor saving in place empties the file and writes it anew, here
  // again and again while the program runs: whatever it reads is either
  // the whole template or nothing but the cannot-open message. The program
  // takes a file that stays as it is for its settle time (100 ms) as saved,
  // so an editor held half-way longer than that (a loaded machine can hold
  // the editor's thread so) may be previewed, or reported on, in part: each save's time from
  // emptying to its last piece is measured, and a run during which one took
  // longer proves nothing.
  const std::string page = RealisticTemplate(4 << 20);
  WriteFile(folder_ / "Template.htm", page);
  std::atomic<bool> stop = false;
  using Clock = std::chrono::steady_clock;
  std::atomic<Clock::duration> longest_save{};
  std::atomic<Clock::time_point> save_start{};
  std::atomic<bool> saving = false;
  std::thread editor([&] {
    const int fd = open((folder_ / "Template.htm").c_str(), O_WRONLY);
    constexpr size_t kPiece = 64 << 10;  // as an editor's buffer writes it
    while (!stop) {
      save_start = Clock::now();
      saving = true;
      EXPECT_EQ(ftruncate(fd, 0), 0);
      for (size_t at = 0; at < page.size(); at += kPiece) {
        const size_t n = std::min(kPiece, page.size() - at);
        EXPECT_EQ(pwrite(fd, page.data() + at, n, static_cast<off_t>(at)),
                  static_cast<ssize_t>(n));
      }
      const auto took = Clock::now() - save_start.load();
      if (took > longest_save.load()) longest_save = took;
      saving = false;
    }
    close(fd);
  });
  int judged = 0;
  for (int run = 0; run < 5; ++run) {
    longest_save = Clock::duration::zero();
    const RunResult result = Run();
    // A save still going on counts for as long as it has taken.
    const bool now_saving = saving;
    const auto started = save_start.load();
    const auto settle = std::chrono::milliseconds(100);
    const bool held = longest_save.load() >= settle ||
                      (now_saving && Clock::now() - started >= settle);
    if (result.out == kCreated) {
      if (!held) {
        EXPECT_TRUE(ReadFile(Index()) == ExpectedPreview(page));
      }
      WriteFile(Index(), kEarlier);
    } else if (!held) {
      // A part taken for saved may also end in a report of the tag it cut.
      EXPECT_EQ(result.err, TerminalText(kCannotOpenMessage));
    }
    ExpectEarlierPreviewKept();
    judged += !held;
  }
  stop = true;
  editor.join();
  if (judged == 0)
    GTEST_SKIP() << "the machine held the editor half-way through a save "
                    "longer than the settle time in every run";
}
