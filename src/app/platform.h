// What the run needs from the system: each platform's *-posix.cc or
// *-win32.cc files, or the run's tests' tests/support/fake_platform.cc.
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
  kFailed,    // could not be opened or read, or kept changing
};

struct ReadResult {
  ReadStatus status = ReadStatus::kFailed;
  std::string bytes;  // all of them, untranslated, when kRead
  int error = 0;      // the system's code for why, where a call failed
};

// Reads the whole file, again while it changes. It is opened without
// blocking and checked through the handle, as the name may lead elsewhere
// since FileExists; never more than `max_bytes` + 1 bytes are read.
ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes);

enum class WriteStatus {
  kWritten,
  kReadOnly,  // the earlier file is read-only, and is left alone
  kFailed,
};

struct WriteResult {
  WriteStatus status = WriteStatus::kFailed;
  int error = 0;  // the system's code for why, where a call failed
};

// Writes `bytes` to a new file beside `path` (beside the file its links end
// at) and, once it is on disk, puts it in the earlier file's place in one
// step, with that file's permissions and attributes: that file is replaced
// whole or left as it was. `source` and the program are never replaced
// (kFailed), whatever path leads to them, nor a file of their size and
// bytes. No temporary file is left behind; one a killed run left is removed.
WriteResult ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes,
                                const std::filesystem::path& source);

// The system's own words, in the user's language, for its error `error`
// (errno, GetLastError), to be shown below the message of a failure.
std::u16string SystemErrorText(int error);

// A modal box with an OK button; returns once the user dismisses it.
void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon);
