// Writes a generated template of at least the given size, in kilobytes
// ("50K") or megabytes ("32M").
// Usage: make_template SIZE FILE

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "realistic_template.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SIZE FILE   (SIZE: 50K, 32M, ...)\n", argv[0]);
    return 2;
  }
  char* unit = nullptr;
  const long number = std::strtol(argv[1], &unit, 10);
  const std::string suffix = unit;
  if (number <= 0 || (suffix != "K" && suffix != "M")) {
    std::fprintf(stderr, "SIZE must be a positive number followed by K or M\n");
    return 2;
  }
  const size_t bytes = static_cast<size_t>(number) << (suffix == "K" ? 10 : 20);
  const std::string page = RealisticTemplate(bytes);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(page.data(), static_cast<std::streamsize>(page.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
