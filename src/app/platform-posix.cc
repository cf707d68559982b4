// Linux and other POSIX systems: the program's folder, and the system's
// words for an error.

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
  const std::string text = ::strerror(error);
  std::u16string out;
  std::mbstate_t state{};
  wchar_t c;
  for (size_t at = 0; at < text.size();) {
    const size_t n =
        std::mbrtowc(&c, text.data() + at, text.size() - at, &state);
    if (n == 0 || n > text.size() - at) break;  // the end, or not text
    at += n;
    if (c > 0xFFFF) {
      out += static_cast<char16_t>(0xD7C0 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}
