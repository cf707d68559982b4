#include "app/ending_signals-posix.h"

#include <unistd.h>

#include <atomic>

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A lock-free atomic is what a signal handler may read.
std::atomic<const char*> g_temporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void RemoveTemporaryAndDie(int signal) {
  if (const char* temporary = g_temporary.load()) ::unlink(temporary);
  // Ends the program by the same signal, as if it had never been caught.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

void SetTemporaryFile(const char* name) { g_temporary = name; }

void CatchEndingSignals() {
  struct sigaction remove = {}, earlier;
  remove.sa_handler = RemoveTemporaryAndDie;
  sigemptyset(&remove.sa_mask);
  for (const int signal : kEndingSignals)
    if (::sigaction(signal, nullptr, &earlier) == 0 &&
        earlier.sa_handler != SIG_IGN)
      ::sigaction(signal, &remove, nullptr);
}

HeldEndingSignals::HeldEndingSignals() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal : kEndingSignals) sigaddset(&ending, signal);
  ::sigprocmask(SIG_BLOCK, &ending, &earlier_);
}

HeldEndingSignals::~HeldEndingSignals() {
  ::sigprocmask(SIG_SETMASK, &earlier_, nullptr);
}
