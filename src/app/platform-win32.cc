// Windows: the program's folder, and the system's words for an error.

#include <string>
#include <vector>

#include "app/file_handles.h"
#include "app/long_path-win32.h"
#include "app/platform.h"

std::optional<std::filesystem::path> ProgramFile() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::nullopt;
    if (n < buffer.size())
      return std::filesystem::path(buffer.data(), buffer.data() + n);
    if (buffer.size() >= 32768 * 2) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::filesystem::path> ProgramDirectory() {
  const std::optional<std::filesystem::path> program = ProgramFile();
  if (!program) return std::nullopt;
  return program->parent_path();
}

bool FileExists(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::u16string SystemErrorText(int error) {
  // In the user's Windows language.
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                     FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(error), 0,
                                 reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  // Where the system has no words for it, its number at least.
  if (n == 0) {
    const std::string number = std::to_string(error);
    return u"Error " + std::u16string(number.begin(), number.end());
  }
  std::u16string out(text, text + n);
  LocalFree(text);
  // Without the line break the system ends it with.
  while (!out.empty() && (out.back() == u'\n' || out.back() == u'\r'))
    out.pop_back();
  return out;
}
