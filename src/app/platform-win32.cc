// Windows: the program's folder, the system's words for an error and the
// message box.

#include <string>

#include "app/file_handles.h"
#include "app/long_path-win32.h"
#include "app/platform.h"

std::optional<std::filesystem::path> ProgramFile() {
  std::wstring buffer(32768, L'\0');  // no path is longer
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                     static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::nullopt;
  return std::filesystem::path(buffer.data(), buffer.data() + n);
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

// In the user's Windows language.
std::u16string SystemErrorText(int error) {
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
  out.erase(out.find_last_not_of(u"\r\n") + 1);  // the line break it ends with
  return out;
}

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  // Left to right, OK only: the texts carry their own direction marks.
  const UINT style =
      MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  const std::wstring wide_text(text.begin(), text.end());
  const std::wstring wide_title(title.begin(), title.end());
  MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(), style);
}
