// What the run needs from the operating system. Each platform implements
// these in its own files (*-posix.cc, *-win32.cc); the build picks one set,
// and the run's tests a fake one (tests/support/fake_platform.cc).
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

// Reads the whole file, again while it changes under the reader. It is
// opened without blocking and checked through the opened handle, since it
// may have been replaced by something else after FileExists; no more than
// `max_bytes` + 1 bytes are ever read, even from a file that keeps growing.
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

// Writes `bytes` to a new file beside `path` (beside the file a link named
// `path` ends at) and, once it is complete and on disk, puts it in the
// earlier file's place in one step, with that file's permissions and
// attributes; an earlier file is either replaced whole or left as it was.
// `source`, the file the bytes were made from, and the program itself are
// never replaced (kFailed), whatever path leads from `path` to them: a file
// of the same size and bytes is taken for them.
// Whatever goes wrong, no temporary file is left behind, and one left by a
// run killed outright is removed.
WriteResult ReplaceFileContents(const std::filesystem::path& path,
                                std::string_view bytes,
                                const std::filesystem::path& source);

// The system's own words, in the user's language, for its error `error`
// (errno, GetLastError), to be shown below the message of a failure.
std::u16string SystemErrorText(int error);

// A modal box with an OK button; returns once the user dismisses it.
void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon);
