// Linux and other POSIX systems: the message box. zenity shows it where a
// graphical session is running; otherwise the text goes to the terminal.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/platform.h"
#include "app/terminal_text.h"
#include "text/utf8.h"

extern char** environ;

namespace {

bool HasGraphicalSession() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Runs zenity with the text as a single argument, without a shell and with
// markup off, so nothing a template put into the text is interpreted; each
// of its lines marked to be laid out left to right (DialogText). Its
// own warnings (GTK's, mostly) are not ours to show: its standard error goes
// nowhere. Returns false when no dialog could be shown.
bool ShowWithZenity(std::u16string_view text, std::u16string_view title,
                    MessageIcon icon) {
  std::string kind = icon == MessageIcon::kError ? "--error" : "--info";
  std::string title_arg = "--title=" + Utf8(title);
  std::string no_markup = "--no-markup";
  std::string text_arg = "--text=" + DialogText(text);
  std::string program = "zenity";
  char* argv[] = {program.data(), kind.data(), title_arg.data(),
                  no_markup.data(), text_arg.data(), nullptr};

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  pid_t pid;
  const int spawned =
      posix_spawnp(&pid, "zenity", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;

  int status = 0;
  while (waitpid(pid, &status, 0) == -1)
    if (errno != EINTR) return false;
  // 0 means the user pressed OK. zenity also ends with 1 when it cannot open
  // the display, so anything but 0 lets the terminal carry the text too.
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ShowOnTerminal(std::u16string_view text, MessageIcon icon) {
  // Nobody reading any more (a closed pipe) must not end the program by
  // SIGPIPE: the outcome stays what it was.
  ::signal(SIGPIPE, SIG_IGN);
  FILE* stream = icon == MessageIcon::kError ? stderr : stdout;
  const std::string out = TerminalText(text);
  std::fwrite(out.data(), 1, out.size(), stream);
  std::fflush(stream);
}

}  // namespace

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  if (HasGraphicalSession() && ShowWithZenity(text, title, icon)) return;
  ShowOnTerminal(text, icon);
}
