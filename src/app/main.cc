#include <clocale>

#include "app/run_preview.h"

// The exit status is the same for every outcome; the message box tells it.
int main() {
  // The user's language, for the system's words on a failure.
  std::setlocale(LC_ALL, "");
  RunPreview();
  return 0;
}
