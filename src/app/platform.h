// What the run needs from the operating system. Each platform implements
// these in its own file (platform-posix.cc, platform-win32.cc).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/message_icon.h"

// The directory that holds the program file (not the working directory).
std::optional<std::filesystem::path> ProgramDirectory();

// True when `path` names a regular file (a directory of that name is not one).
bool FileExists(const std::filesystem::path& path);

// All bytes of the file, untranslated; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a new temporary file beside `path` and renames it over
// `path` once complete, so an earlier file is either replaced whole or left
// as it was. Returns false on any failure; no temporary file is left behind.
bool ReplaceFileContents(const std::filesystem::path& path,
                         std::string_view bytes);

// A modal box with an OK button; returns once the user dismisses it.
void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon);
