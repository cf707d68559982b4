// Linux: the program's folder, and the system's words for an error.

#include <sys/stat.h>

#include <cstring>
#include <cwchar>

#include "app/platform.h"

std::optional<std::filesystem::path> ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program =
      std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || program.empty()) return std::nullopt;
  return program.parent_path();
}

bool FileExists(const std::filesystem::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::u16string SystemErrorText(int error) {
  // In the locale's own encoding, which main() made the user's.
  std::string_view text = ::strerror(error);
  std::u16string out;
  std::mbstate_t state{};
  wchar_t c;
  while (!text.empty()) {
    const size_t n = std::mbrtowc(&c, text.data(), text.size(), &state);
    if (n == 0 || n > text.size()) break;  // the end, or not text
    text.remove_prefix(n);
    // Past U+FFFF, as a surrogate pair.
    if (c > 0xFFFF) out += static_cast<char16_t>(0xD7C0 + (c >> 10));
    out += static_cast<char16_t>(c > 0xFFFF ? 0xDC00 + (c & 0x3FF) : c);
  }
  return out;
}
