// The signals that ask a program to end (SIGINT, SIGTERM, SIGHUP), while a
// preview is being written: they remove its temporary file before the
// program ends by them, so that nothing is left behind.
#pragma once

#include <signal.h>

// From now on they remove the file SetTemporaryFile names (one this run
// created; none after nullptr); those being ignored stay ignored.
void CatchEndingSignals();
void SetTemporaryFile(const char* name);

// While it lives, the ending signals wait: a step such as creating a file
// and naming it in SetTemporaryFile happens as one for the handler.
class HeldEndingSignals {
 public:
  HeldEndingSignals();
  ~HeldEndingSignals();

 private:
  sigset_t earlier_;
};
