#include "app/ending_signals-posix.h"

#include <unistd.h>

#include <atomic>

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file being written; null while there is none. A lock-free
// atomic is what a signal handler may read.
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

CaughtEndingSignals::CaughtEndingSignals() {
  struct sigaction remove = {};
  remove.sa_handler = RemoveTemporaryAndDie;
  sigemptyset(&remove.sa_mask);
  for (int i = 0; i < 3; ++i) {
    ::sigaction(kEndingSignals[i], nullptr, &earlier_[i]);
    if (earlier_[i].sa_handler != SIG_IGN)
      ::sigaction(kEndingSignals[i], &remove, nullptr);
  }
}

CaughtEndingSignals::~CaughtEndingSignals() {
  for (int i = 0; i < 3; ++i)
    ::sigaction(kEndingSignals[i], &earlier_[i], nullptr);
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
