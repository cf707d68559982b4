#include "app/run_preview.h"

// The exit status is the same for every outcome; the message box tells it.
int main() {
  RunPreview();
  return 0;
}
