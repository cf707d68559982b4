// The signals that ask a program to end (SIGINT, SIGTERM, SIGHUP), while a
// preview is being written: they remove its temporary file before the
// program ends by them, so that nothing is left behind.
#pragma once

#include <signal.h>

// Names the temporary file to remove (one this run created), or none.
void SetTemporaryFile(const char* name);

// From now on, the ending signals remove the temporary file first; signals
// that were being ignored stay ignored. With none named, they end the
// program as they would have.
void CatchEndingSignals();

// While it lives, the ending signals wait: a step such as creating a file
// and naming it in SetTemporaryFile happens as one for the handler.
class HeldEndingSignals {
 public:
  HeldEndingSignals();
  ~HeldEndingSignals();

 private:
  sigset_t earlier_;
};
