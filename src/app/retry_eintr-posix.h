// POSIX calls that a signal may interrupt before they do anything.
#pragma once

#include <errno.h>

// Calls `call` again for as long as it fails with EINTR.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}
