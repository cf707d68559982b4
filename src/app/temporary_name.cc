#include "app/temporary_name.h"

#include <charconv>

namespace fs = std::filesystem;

namespace {

// A file's name as UTF-8, on every system.
std::string Utf8Name(const fs::path& path) {
  const std::u8string name = path.filename().u8string();
  return std::string(name.begin(), name.end());
}

// Reads digits alone, without sign or leading zero, that fit in `number`.
template <typename Number>
bool ParseNumber(std::string_view digits, Number& number) {
  const char* end = digits.data() + digits.size();
  const auto read = std::from_chars(digits.data(), end, number);
  // from_chars takes a minus sign for a signed number.
  return read.ec == std::errc() && read.ptr == end && digits[0] != '-' &&
         (digits[0] != '0' || digits.size() == 1);
}

}  // namespace

std::string TemporaryName(std::string_view file, uint32_t process,
                          int attempt) {
  return std::string(file) + "." + std::to_string(process) + "-" +
         std::to_string(attempt) + ".tmp";
}

fs::path TemporaryPath(const fs::path& target, uint32_t process, int attempt) {
  const std::string name = TemporaryName(Utf8Name(target), process, attempt);
  return target.parent_path() / std::u8string(name.begin(), name.end());
}

bool IsTemporaryName(std::string_view name, std::string_view file) {
  if (!name.starts_with(file) || !name.ends_with(".tmp")) return false;
  name = name.substr(file.size(), name.size() - file.size() - 4);
  if (!name.starts_with(".")) return false;
  name.remove_prefix(1);
  const size_t dash = name.find('-');
  uint32_t process = 0;
  int attempt = 0;
  return dash != std::string_view::npos &&
         ParseNumber(name.substr(0, dash), process) && process != 0 &&
         ParseNumber(name.substr(dash + 1), attempt);
}

void RemoveStaleTemporaries(
    const fs::path& target,
    const std::function<bool(const fs::path& file)>& remove_if_abandoned) {
  const std::string file = Utf8Name(target);
  std::error_code error, ignored;
  for (fs::directory_iterator entry(target.parent_path(), error), end;
       !error && entry != end; entry.increment(error))
    if (IsTemporaryName(Utf8Name(entry->path()), file) &&
        entry->symlink_status(ignored).type() == fs::file_type::regular)
      (void)remove_if_abandoned(entry->path());
}
