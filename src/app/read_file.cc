// Reading the template, the same on every platform over its UserFile.

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
  const auto read_some = [&](char* where, size_t room) {
    return file->ReadSome(where, room);
  };
  return ReadUnchanged([&] { return file->Stamp(); },
                       [&](uint64_t size) -> ReadResult {
                         if (!file->Rewind())
                           return {ReadStatus::kFailed, {}, LastError()};
                         ReadResult read =
                             ReadBounded(size, max_bytes, read_some);
                         if (read.status == ReadStatus::kFailed)
                           read.error = LastError();
                         return read;
                       });
}
