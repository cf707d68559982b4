// Linux and other POSIX systems.

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/platform.h"

extern char** environ;

namespace {

// Retries calls that a signal interrupted.
template <typename Call>
auto Retry(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n =
        Retry([&] { return ::write(fd, bytes.data(), bytes.size()); });
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // an unpaired surrogate cannot be written as UTF-8
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool HasGraphicalSession() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Runs zenity with the text as a single argument, without a shell and with
// markup off, so nothing a template put into the text is interpreted.
// Returns false when no dialog could be shown.
bool ShowWithZenity(std::u16string_view text, std::u16string_view title,
                    MessageIcon icon) {
  std::string kind = icon == MessageIcon::kError ? "--error" : "--info";
  std::string title_arg = "--title=" + ToUtf8(title);
  std::string no_markup = "--no-markup";
  std::string text_arg = "--text=" + ToUtf8(text);
  std::string program = "zenity";
  char* argv[] = {program.data(), kind.data(), title_arg.data(),
                  no_markup.data(), text_arg.data(), nullptr};

  pid_t pid;
  if (posix_spawnp(&pid, "zenity", nullptr, nullptr, argv, environ) != 0)
    return false;
  int status = 0;
  if (Retry([&] { return waitpid(pid, &status, 0); }) == -1) return false;
  // 0 means the user pressed OK. zenity also ends with 1 when it cannot open
  // the display, so anything but 0 lets the terminal carry the text too.
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ShowOnTerminal(std::u16string_view text, MessageIcon icon) {
  std::string out;
  for (char c : ToUtf8(text)) {
    if (c == '\r') continue;
    out += c;
  }
  if (out.empty() || out.back() != '\n') out += '\n';
  WriteAll(icon == MessageIcon::kError ? STDERR_FILENO : STDOUT_FILENO, out);
}

}  // namespace

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

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  const int fd = Retry([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
  if (fd == -1) return std::nullopt;
  std::string bytes;
  struct stat info;
  if (::fstat(fd, &info) == 0 && info.st_size > 0)
    bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = Retry([&] { return ::read(fd, buffer, sizeof buffer); });
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

bool ReplaceFileContents(const std::filesystem::path& path,
                         std::string_view bytes) {
  // A name of our own beside the target, created exclusively so that no
  // other file is ever overwritten; the rename makes the switch atomic.
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd == -1; ++attempt) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about
    // "." + std::to_string(...) when optimising.
    temp = path;
    temp += ".";
    temp += std::to_string(::getpid());
    temp += "-";
    temp += std::to_string(attempt);
    temp += ".tmp";
    fd = Retry([&] {
      return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    0666);
    });
    if (fd == -1 && errno != EEXIST) return false;
  }
  if (fd == -1) return false;

  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  if (HasGraphicalSession() && ShowWithZenity(text, title, icon)) return;
  ShowOnTerminal(text, icon);
}
