// The signals that ask a program to end (SIGINT, SIGTERM, SIGHUP), while a
// preview is being written: they remove its temporary file before the
// program ends by them, so that nothing is left behind.
#pragma once

#include <signal.h>

// Names the temporary file to remove, or none (nullptr). The name must
// outlive its use here and be a file this run created.
void SetTemporaryFile(const char* name);

// While it lives, the ending signals remove the temporary file first;
// signals that were being ignored stay ignored.
class CaughtEndingSignals {
 public:
  CaughtEndingSignals();
  ~CaughtEndingSignals();
  CaughtEndingSignals(const CaughtEndingSignals&) = delete;
  CaughtEndingSignals& operator=(const CaughtEndingSignals&) = delete;

 private:
  struct sigaction earlier_[3];
};

// While it lives, the ending signals wait: a step such as creating a file
// and naming it in SetTemporaryFile happens as one for the handler.
class HeldEndingSignals {
 public:
  HeldEndingSignals();
  ~HeldEndingSignals();
  HeldEndingSignals(const HeldEndingSignals&) = delete;
  HeldEndingSignals& operator=(const HeldEndingSignals&) = delete;

 private:
  sigset_t earlier_;
};
