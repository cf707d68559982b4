// For scripts/wine-tests.sh: holds Wine's desktop for the whole test run.
//
// Wine ends a desktop, and its explorer.exe, a second after the last program
// on it has ended. The next program that needs the desktop window then
// starts a new explorer.exe and hands it its own standard error: under ctest
// that is the test's output pipe, so every end-to-end test waited for that
// explorer.exe to end after it, and two programs starting at the same moment
// could each start one and wait up to 10 s for theirs. Started before ctest,
// this program makes the one explorer.exe (with the script's log as its
// output) and stays on the desktop until the server is stopped.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>

int main() {
  // Returns once explorer.exe has made the desktop window.
  if (!GetDesktopWindow()) return 1;
  std::puts("ready");
  std::fflush(stdout);
  Sleep(INFINITE);
}
