#include "fake_platform.h"

#include <new>

FakePlatform& Fake() {
  static FakePlatform fake;
  return fake;
}

void ResetFakePlatform() { Fake() = FakePlatform(); }

std::optional<std::filesystem::path> ProgramDirectory() {
  return Fake().program_directory;
}

bool FileExists(const std::filesystem::path& path) {
  return Fake().files.count(path) > 0;
}

ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes) {
  Fake().read_limits.push_back(max_bytes);
  if (Fake().out_of_memory_on_read) throw std::bad_alloc();
  const auto file = Fake().files.find(path);
  if (file == Fake().files.end()) return {ReadStatus::kNotFound, {}};
  return file->second;
}

WriteResult ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes,
                                const std::filesystem::path& source) {
  Fake().writes.push_back({path, std::string(bytes), source});
  return {Fake().write_status, Fake().write_error};
}

std::u16string SystemErrorText(int error) {
  const std::string digits = std::to_string(error);
  return u"error " + std::u16string(digits.begin(), digits.end());
}

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  Fake().shown.push_back({std::u16string(text), std::u16string(title), icon});
}
