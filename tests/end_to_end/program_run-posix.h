// The end-to-end tests' way of running the built program as a user does:
// copied into a folder of its own, started from another working directory,
// with the outcome read from its streams (or from a stand-in zenity) and
// from the folder's files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/terminal_text.h"
#include "pipeline/build_preview.h"
#include "pipeline/messages.h"
#include "test_support.h"

namespace fs = std::filesystem;

struct RunResult {
  std::string out;
  std::string err;
  int status = 0;    // as waitpid gives it
  long peak_kb = 0;  // the program's peak resident memory
};

// How a run differs from a user's plain start.
struct RunOptions {
  fs::path program{};  // the program itself or a link to it; empty: the copy
  std::vector<std::string> env = {"PATH=/usr/bin:/bin"};
  uid_t as_user = static_cast<uid_t>(-1);
  std::optional<mode_t> umask{};
  std::optional<rlim_t> file_size_limit{};
  enum class Output { kFile, kClosed, kReaderGone };
  Output output = Output::kFile;  // what standard output is
  // Called once with the new preview's file (a link in /proc to it) as soon
  // as the program has it open.
  std::function<void(pid_t pid, const fs::path& file)> while_writing{};
  // Ends by itself, with the status every outcome has; otherwise how it
  // ended is the caller's to check.
  bool ends_normally = true;
  bool hangup_ignored = false;  // as under nohup
  // A command the program is started through (its path is appended).
  std::vector<std::string> through{};
  std::chrono::seconds timeout{60};  // a run still going then has hung
};

// The new preview of the program's folder `folder` among the files process
// `pid` has open (its link in /proc): a file that has no name yet ("#...
// (deleted)") or is named as a temporary file.
inline std::optional<fs::path> NewPreviewOpenBy(pid_t pid,
                                                const fs::path& folder) {
  const std::string inside = folder.string() + "/";
  std::error_code gone;
  for (const auto& fd :
       fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", gone)) {
    std::error_code closed;
    const std::string file = fs::read_symlink(fd.path(), closed).string();
    if (!closed && file.starts_with(inside) &&
        (file.ends_with(" (deleted)") || file.ends_with(".tmp")))
      return fd.path();
  }
  return std::nullopt;
}

class RunPreviewTest : public ProgramFolderTest {
 protected:
  RunPreviewTest() : ProgramFolderTest(TEMPLATE_PREVIEW_PROGRAM) {}

  // Starts the program as `options` say and waits for it, as long as
  // `options.timeout` at most.
  // Runs may overlap, each from a thread of its own.
  RunResult Run(const RunOptions& options = {}) {
    static std::atomic<int> runs = 0;
    const std::string run = std::to_string(runs++);
    const fs::path out_file = root_ / ("stdout-" + run);
    const fs::path err_file = root_ / ("stderr-" + run);
    const std::string program =
        (options.program.empty() ? folder_ / "template-preview"
                                 : options.program)
            .string();
    std::vector<std::string> command = options.through;
    command.push_back(program);
    int reader_gone[2] = {-1, -1};
    if (options.output == RunOptions::Output::kReaderGone) {
      EXPECT_EQ(pipe(reader_gone), 0);
    }

    const pid_t pid = fork();
    if (pid == 0) {
      const int out =
          open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int err =
          open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
          chdir(elsewhere_.c_str()) != 0)
        _exit(101);
      if (options.output == RunOptions::Output::kClosed) close(1);
      if (options.output == RunOptions::Output::kReaderGone) {
        dup2(reader_gone[1], 1);
        close(reader_gone[0]);
        close(reader_gone[1]);
      }
      // A plain start: no signal ignored or blocked from the test runner.
      for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        signal(s, SIG_DFL);
      if (options.hangup_ignored) signal(SIGHUP, SIG_IGN);
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      if (options.umask) umask(*options.umask);
      if (options.file_size_limit) {
        const rlimit limit = {*options.file_size_limit,
                              *options.file_size_limit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(104);
      }
      if (options.as_user != static_cast<uid_t>(-1) &&
          (setgid(options.as_user) != 0 || setuid(options.as_user) != 0))
        _exit(102);
      std::vector<char*> envp;
      for (const std::string& e : options.env)
        envp.push_back(const_cast<char*>(e.c_str()));
      envp.push_back(nullptr);
      std::vector<char*> argv;
      for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
      argv.push_back(nullptr);
      execve(argv[0], argv.data(), envp.data());
      _exit(103);
    }
    if (reader_gone[0] != -1) {
      close(reader_gone[0]);
      close(reader_gone[1]);
    }
    if (options.while_writing) WhileWriting(pid, options.while_writing);

    RunResult result;
    rusage usage = {};
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    pid_t ended = 0;
    while ((ended = wait4(pid, &result.status, WNOHANG, &usage)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (ended != pid) {
      ADD_FAILURE() << "the program did not end in " << options.timeout.count()
                    << " s";
      kill(pid, SIGKILL);
      wait4(pid, &result.status, 0, &usage);
    }
    result.out = ReadFile(out_file);
    result.err = ReadFile(err_file);
    result.peak_kb = usage.ru_maxrss;
    fs::remove(out_file);
    fs::remove(err_file);
    if (options.ends_normally) {
      EXPECT_TRUE(WIFEXITED(result.status));
      EXPECT_EQ(WEXITSTATUS(result.status), 0)
          << "the same status for every outcome";
    }
    return result;
  }

 private:
  // Calls `call` as soon as the program has its new preview open.
  void WhileWriting(
      pid_t pid,
      const std::function<void(pid_t, const fs::path&)>& call) const {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::minutes(1);
    // Until the program has ended (seen without reaping it).
    const auto ended = [pid] {
      siginfo_t info = {};
      return waitid(P_PID, static_cast<id_t>(pid), &info,
                    WEXITED | WNOHANG | WNOWAIT) == 0 &&
             info.si_pid == pid;
    };
    while (std::chrono::steady_clock::now() < deadline && !ended()) {
      if (const auto file = NewPreviewOpenBy(pid, folder_)) {
        call(pid, *file);
        return;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ADD_FAILURE() << "the program wrote no preview that could be seen";
  }
};

// A graphical session with a stand-in zenity, which records its arguments
// one per line and complains on its standard error as GTK does.
class FakeZenityTest : public RunPreviewTest {
 protected:
  void InstallFakeZenity(int exit_status) {
    fs::create_directory(root_ / "bin");
    WriteFile(
        root_ / "bin" / "zenity",
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
            (root_ / "zenity-args").string() +
            "\"\necho 'Gtk-WARNING **: cannot open display' >&2\nexit " +
            std::to_string(exit_status) + "\n");
    fs::permissions(root_ / "bin" / "zenity", fs::perms::owner_all);
  }
  std::vector<std::string> Env() const {
    return {"PATH=" + (root_ / "bin").string() + ":/usr/bin:/bin",
            "DISPLAY=:99"};
  }
  std::string ZenityArgs() const { return ReadFile(root_ / "zenity-args"); }
};

// The messages as the program prints them.
inline const std::string kCreated = TerminalText(kCreatedMessage);
inline const std::string kNotCreated = TerminalText(kNotCreatedMessage);
inline const std::string kReadOnly = TerminalText(kReadOnlyMessage);
inline const std::string kTemplateTooLarge =
    TerminalText(kTemplateTooLargeMessage);
inline const std::string kPreviewTooLarge =
    TerminalText(kPreviewTooLargeMessage);
// The not-made message with the system's words for `error` below it, as
// the C locale has them (the runs are given no language).
inline std::string NotCreatedBecause(int error) {
  return kNotCreated + "\u200e" + std::strerror(error) + "\n";
}

// An earlier preview beside the program, which a run that writes nothing
// must leave whole, with no stray file beside it.
class EarlierPreviewTest : public RunPreviewTest {
 protected:
  void SetUp() override {
    RunPreviewTest::SetUp();
    WriteFile(folder_ / "index.htm", kEarlier);
  }

  void ExpectEarlierPreviewKept() {
    EXPECT_EQ(ReadFile(folder_ / "index.htm"), kEarlier);
    EXPECT_EQ(FolderFiles(), AfterSuccess());
  }

  fs::path Index() const { return folder_ / "index.htm"; }
  fs::perms PreviewPermissions() const {
    return fs::status(Index()).permissions();
  }
  static std::string ExpectedPreview(const std::string& page) {
    return BuildPreview(page).preview.value();
  }

  static constexpr char kEarlier[] = "earlier preview";
};

// The program's folder on a file system of its own, mounted by a command
// (as root, where the command is installed): FUSE ones stand for USB
// sticks and network folders, which keep less than the local disk.
class MountedFolderTest : public EarlierPreviewTest {
 protected:
  void TearDown() override {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    EarlierPreviewTest::TearDown();
  }

  // Mounts a file system over the program's folder with `command` followed
  // by the folder, and puts the program and an earlier preview in it; false
  // where that cannot be done.
  bool Mount(const std::string& command) {
    if (geteuid() != 0) return false;
    // FUSE mounts only over an empty folder.
    for (const fs::path& name : FolderFiles()) fs::remove(folder_ / name);
    const std::string line =
        command + " '" + folder_.string() + "' >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) return false;
    mounted_ = true;
    // Copied byte for byte: a copy's mode cannot be set everywhere.
    const fs::path program = folder_ / "template-preview";
    WriteFile(program, ReadFile(TEMPLATE_PREVIEW_PROGRAM));
    std::error_code no_modes;
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add,
                    no_modes);
    WriteFile(folder_ / "index.htm", kEarlier);
    return true;
  }

  // A FUSE folder passing the calls to a folder on the local disk: like
  // many network and FUSE file systems, it has no unnamed files.
  bool MountFuseFolder() {
    fs::create_directory(root_ / "backing");
    return Mount("bindfs '" + (root_ / "backing").string() + "'");
  }

 private:
  bool mounted_ = false;
};
