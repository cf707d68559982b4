// What the run needs from the operating system. Each platform implements
// these in its own files (platform-posix.cc and message_box-posix.cc,
// platform-win32.cc and message_box-win32.cc); the build picks one pair.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "pipeline/message_icon.h"

// The directory that holds the program file (not the working directory).
std::optional<std::filesystem::path> ProgramDirectory();

// True when `path` names a regular file (a directory of that name is not one).
bool FileExists(const std::filesystem::path& path);

enum class ReadStatus {
  kRead,
  kNotFound,  // gone, or not a regular file (a pipe, a device, a folder)
  kTooLarge,  // more than the bytes allowed
  kFailed,    // could not be opened or read
};

struct ReadResult {
  ReadStatus status = ReadStatus::kFailed;
  std::string bytes;  // all of them, untranslated, when kRead
};

// Reads the whole file. It is opened without blocking and checked through
// the opened handle, since it may have been replaced by something else after
// FileExists; a file of more than `max_bytes` bytes is not read whole, and
// no more than `max_bytes` + 1 bytes are ever read, even from a file that
// keeps growing.
ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes);

enum class WriteStatus {
  kWritten,
  kReadOnly,  // the earlier file is read-only, and is left alone
  kFailed,
};

// Writes `bytes` to a new temporary file beside `path` and renames it over
// `path` once complete, so an earlier file is either replaced whole or left
// as it was; the new file keeps the earlier one's permissions. Whatever goes
// wrong, no temporary file is left behind (on POSIX systems, not even when
// the program is interrupted by a signal).
WriteStatus ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes);

// A modal box with an OK button; returns once the user dismisses it.
void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon);
