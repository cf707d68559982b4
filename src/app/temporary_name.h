// The temporary files' names, "<file>.<process id>-<attempt>.tmp", unique
// among the runs of one process namespace. Whether a leftover's writer still
// runs, the file tells (RemoveIfAbandoned), not the process id: a run in
// another namespace or on another machine may have the same one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The name of attempt `attempt` of process `process` to write `file`.
std::string TemporaryName(std::string_view file, uint32_t process, int attempt);

// The same, for `target`, as a path beside it.
std::filesystem::path TemporaryPath(const std::filesystem::path& target,
                                    uint32_t process, int attempt);

// True when `name` is the name of a temporary file for `file` (both UTF-8).
bool IsTemporaryName(std::string_view name, std::string_view file);

// Hands each regular file beside `target` named as a temporary file for it,
// and nothing else, to `remove_if_abandoned`: what runs killed outright
// (SIGKILL, a power cut) left, and those still being written.
void RemoveStaleTemporaries(
    const std::filesystem::path& target,
    const std::function<bool(const std::filesystem::path& file)>&
        remove_if_abandoned);
