// Putting a new preview in the place of index.htm, whole or not at all, with
// what the user set on the earlier one (docs/DEVELOPING.md, "Writing"); the
// same on every platform over its UserFile and NewFile.

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "app/bounded_read.h"
#include "app/file_handles.h"
#include "app/platform.h"
#include "app/temporary_name.h"

namespace fs = std::filesystem;

namespace {

// Temporary names tried before giving up: each taken one is another run's,
// a killed run's or a planted link.
constexpr int kAttempts = 100;
// How long a file another program holds (a virus scanner, a sync client
// reading the fresh file) is waited for, as well-known tools do.
constexpr std::chrono::milliseconds kHeldWait{2000};

auto Reader(UserFile& file) {
  return
      [&file](char* where, size_t room) { return file.ReadSome(where, room); };
}

// False when the files `a` and `b` are seen to hold different bytes, read a
// piece at a time so that neither is held whole; true when they cannot be
// read to tell.
bool MayHoldTheSameBytes(UserFile& a, UserFile& b) {
  if (!a.Rewind() || !b.Rewind()) return true;
  auto read_a = Reader(a), read_b = Reader(b);
  std::string p(size_t{1} << 16, '\0'), q(p);
  for (;;) {
    const int64_t m = ReadPiece(read_a, p), n = ReadPiece(read_b, q);
    if (m < 0 || n < 0) return true;
    if (std::string_view(p.data(), static_cast<size_t>(m)) !=
        std::string_view(q.data(), static_cast<size_t>(n)))
      return false;
    if (m == 0) return true;
  }
}

// True when `earlier` may be the file at `path`: the same file, whatever
// links lead to either, or, as the same file seen through another mount or
// share (a FUSE mirror, an overlay) has another identity, the same size and
// bytes (a byte copy, wrongly taken for it, loses nothing).
bool MayBeOneFile(UserFile& earlier, const fs::path& path) {
  std::optional<UserFile> other = UserFile::Open(path, true);
  if (!other) return false;
  const auto a = earlier.Stamp(), b = other->Stamp();
  return other->IsSameFile(earlier) ||
         (a && b && a->size == b->size && MayHoldTheSameBytes(earlier, *other));
}

bool NameTemporary(NewFile& file, const fs::path& target) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const NewFile::Naming naming =
        file.TryName(TemporaryPath(target, ProcessId(), attempt));
    if (naming != NewFile::Naming::kTaken)
      return naming == NewFile::Naming::kNamed;
  }
  return false;
}

bool WriteAll(NewFile& file, std::string_view bytes) {
  while (!bytes.empty()) {
    const int64_t n = file.WriteSome(bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Puts `file` in place, trying again with a growing pause while another
// program holds the earlier file, for a moment.
bool PutInPlace(NewFile& file, const fs::path& target) {
  const auto until = std::chrono::steady_clock::now() + kHeldWait;
  auto pause = std::chrono::milliseconds(10);
  while (!file.PutInPlace(target)) {
    if (!IsHeldByAnother(LastError()) ||
        std::chrono::steady_clock::now() >= until)
      return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(250));
  }
  return true;
}

WriteResult Failed() { return {WriteStatus::kFailed, LastError()}; }

}  // namespace

WriteResult ReplaceFileContents(const fs::path& path, std::string_view bytes,
                                const fs::path& source) {
  const std::optional<fs::path> target = WhereToWrite(path);
  if (!target) return {WriteStatus::kFailed};
  std::optional<UserFile> earlier = UserFile::Open(*target, false);
  // Nor is a folder of that name (or one a link points to), a pipe or a
  // device the user's preview to replace, nor the template or the program
  // itself, when index.htm is, or leads to, one of them.
  if (!earlier && !IsNoSuchFile(LastError())) return Failed();
  if (earlier) {
    const std::optional<fs::path> program = ProgramFile();
    if (MayBeOneFile(*earlier, source) ||
        (program && MayBeOneFile(*earlier, *program)))
      return {WriteStatus::kFailed};
    // Checked here since not every system refuses to replace such a file.
    if (earlier->ReadOnly()) return {WriteStatus::kReadOnly};
  }

  NewFile file(earlier.has_value());
  if (!file.CreateUnnamed(*target) && !NameTemporary(file, *target))
    return Failed();
  RemoveStaleTemporaries(*target, [&](const fs::path& left) {
    return file.RemoveIfAbandoned(left);
  });
  // The data is on disk before the file is opened to others or has the
  // name: a crash after the switch must not leave index.htm empty or cut
  // short.
  if (!WriteAll(file, bytes) || !file.Flush()) return Failed();
  if (earlier) file.TakeOverSettings(*earlier);
  if ((!file.Named() && !NameTemporary(file, *target)) ||
      !PutInPlace(file, *target))
    return Failed();
  return {WriteStatus::kWritten};
}
