// ReadWholeFile, the same on every platform over its UserFile.

#include "app/bounded_read.h"
#include "app/file_handles.h"
#include "app/platform.h"
#include "app/read_unchanged.h"

ReadResult ReadWholeFile(const std::filesystem::path& path, size_t max_bytes) {
  std::optional<UserFile> file = UserFile::Open(path, true);
  if (!file) {
    const int error = LastError();
    if (error == 0 || IsNoSuchFile(error)) return {ReadStatus::kNotFound, {}};
    return {ReadStatus::kFailed, {}, error};
  }
  const auto read_whole = [&](uint64_t size) {
    if (!file->Rewind())
      return ReadResult{ReadStatus::kFailed, {}, LastError()};
    ReadResult read = ReadBounded(
        size, max_bytes,
        [&](char* where, size_t room) { return file->ReadSome(where, room); });
    if (read.status == ReadStatus::kFailed) read.error = LastError();
    return read;
  };
  return ReadUnchanged([&] { return file->Stamp(); }, read_whole);
}
