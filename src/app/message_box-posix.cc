// Linux: the message box. zenity shows it where a graphical session runs;
// otherwise, or where zenity cannot, the text goes to the terminal.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/platform.h"
#include "app/terminal_text.h"
#include "text/utf8.h"

namespace {

// Runs zenity with the text as one argument, without a shell and with markup
// off, so that nothing a template put into the text is interpreted; its own
// warnings (GTK's, mostly) are not ours to show. False where it showed none.
bool ShowWithZenity(std::u16string_view text, std::u16string_view title,
                    MessageIcon icon) {
  std::string arguments[] = {
      "zenity", icon == MessageIcon::kError ? "--error" : "--info",
      "--title=" + Utf8(title), "--no-markup", "--text=" + DialogText(text)};
  char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                  arguments[3].data(), arguments[4].data(), nullptr};

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
  // OK gives 0. zenity ends with 1 too when it cannot open the display, so
  // anything else lets the terminal carry the text as well.
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (((x11 && *x11) || (wayland && *wayland)) &&
      ShowWithZenity(text, title, icon))
    return;
  // A closed pipe must not end the program by SIGPIPE: the outcome stays.
  ::signal(SIGPIPE, SIG_IGN);
  FILE* stream = icon == MessageIcon::kError ? stderr : stdout;
  const std::string out = TerminalText(text);
  std::fwrite(out.data(), 1, out.size(), stream);
  std::fflush(stream);
}
