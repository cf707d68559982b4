#include "app/temporary_name.h"

#include <charconv>

namespace {

// A whole number of digits alone, without sign or leading zero, that fits.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view digits) {
  Number number = 0;
  if (digits.empty() || (digits[0] == '0' && digits.size() > 1))
    return std::nullopt;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return number;
}

}  // namespace

std::string TemporaryName(std::string_view file, uint32_t process, int attempt) {
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
  const std::optional<uint32_t> process =
      ParseNumber<uint32_t>(name.substr(0, dash));
  if (!process || *process == 0 || !ParseNumber<int>(name.substr(dash + 1)))
    return std::nullopt;
  return process;
}
