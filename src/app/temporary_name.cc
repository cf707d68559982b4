#include "app/temporary_name.h"

#include <charconv>

namespace {

// Reads digits alone, without sign or leading zero, that fit in `number`.
template <typename Number>
bool ParseNumber(std::string_view digits, Number& number) {
  const char* end = digits.data() + digits.size();
  const auto read = std::from_chars(digits.data(), end, number);
  return read.ec == std::errc() && read.ptr == end &&
         (digits[0] != '0' || digits.size() == 1);
}

}  // namespace

std::string TemporaryName(std::string_view file, uint32_t process,
                          int attempt) {
  return std::string(file) + "." + std::to_string(process) + "-" +
         std::to_string(attempt) + ".tmp";
}

std::optional<uint32_t> TemporaryNameOwner(std::string_view name,
                                           std::string_view file) {
  if (!name.starts_with(file) || !name.ends_with(".tmp")) return std::nullopt;
  name = name.substr(file.size(), name.size() - file.size() - 4);
  if (!name.starts_with(".")) return std::nullopt;
  name.remove_prefix(1);
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  uint32_t process = 0;
  int attempt = 0;
  if (!ParseNumber(name.substr(0, dash), process) || process == 0 ||
      !ParseNumber(name.substr(dash + 1), attempt))
    return std::nullopt;
  return process;
}
