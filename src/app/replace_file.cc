// ReplaceFileContents, the same on every platform over its UserFile and
// NewFile (docs/DEVELOPING.md, "Writing").

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

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

// Reads the next 64 KiB of `file` into `piece`, less only where the file
// ends; false when a read failed.
bool ReadPiece(UserFile& file, std::string& piece) {
  piece.resize(size_t{1} << 16);
  size_t got = 0;
  while (got < piece.size()) {
    const int64_t n = file.ReadSome(piece.data() + got, piece.size() - got);
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  piece.resize(got);
  return true;
}

// False when `a` and `b` are seen to hold different bytes, read a piece at a
// time so that neither is held whole; true when they cannot be read to tell.
bool MayHoldTheSameBytes(UserFile& a, UserFile& b) {
  if (!a.Rewind() || !b.Rewind()) return true;
  std::string p, q;
  for (;;) {
    const bool read_a = ReadPiece(a, p), read_b = ReadPiece(b, q);
    if (!read_a || !read_b) return true;
    if (p != q) return false;
    if (p.empty()) return true;
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

// Tries again, with a growing pause, while another program holds the
// earlier file for a moment.
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
  // Not a folder, a pipe or a device (LastError() 0), nor the template or
  // the program itself.
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
  // On disk before it is opened to others or named: a crash after the
  // switch must not leave index.htm empty or cut short.
  if (!WriteAll(file, bytes) || !file.Flush()) return Failed();
  if (earlier) file.TakeOverSettings(*earlier);
  if ((!file.Named() && !NameTemporary(file, *target)) ||
      !PutInPlace(file, *target))
    return Failed();
  return {WriteStatus::kWritten};
}
