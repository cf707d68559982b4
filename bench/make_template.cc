// Writes a generated template of at least the given number of megabytes.
// Usage: make_template MEGABYTES FILE

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "realistic_template.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s MEGABYTES FILE\n", argv[0]);
    return 2;
  }
  const long megabytes = std::strtol(argv[1], nullptr, 10);
  if (megabytes <= 0) {
    std::fprintf(stderr, "MEGABYTES must be a positive number\n");
    return 2;
  }
  const std::string bytes =
      RealisticTemplate(static_cast<size_t>(megabytes) << 20);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
