// A platform for testing the run without a file system or a screen: the
// build links it in place of the real one. It serves files from memory and
// records what the run reads, writes and shows. Each test starts with
// ResetFakePlatform().
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/platform.h"

struct ShownMessage {
  std::u16string text;
  std::u16string title;
  MessageIcon icon;
};

struct WriteAttempt {
  std::filesystem::path path;
  std::string bytes;
  std::filesystem::path source;  // the file never to be replaced
};

struct FakePlatform {
  // What the run finds.
  std::optional<std::filesystem::path> program_directory =
      std::filesystem::path("tool");
  // By full path: FileExists is true for each, ReadWholeFile gives its
  // result (kNotFound for a name taken by a folder or a pipe).
  std::map<std::filesystem::path, ReadResult> files;
  WriteStatus write_status = WriteStatus::kWritten;
  int write_error = 0;  // the system's code ReplaceFileContents gives
  bool out_of_memory_on_read = false;  // ReadWholeFile throws bad_alloc

  // What the run did.
  std::vector<size_t> read_limits;  // the max_bytes of each read
  std::vector<WriteAttempt> writes;
  std::vector<ShownMessage> shown;
};

// The one fake platform the platform functions use.
FakePlatform& Fake();
void ResetFakePlatform();
