// The temporary files' names, "<file>.<process id>-<attempt>.tmp", unique
// to a run among those of one machine's process namespace. A run killed
// outright leaves one behind; whether its writer still runs, the file
// itself tells (each platform's RemoveIfAbandoned), not the process id: a
// run in another namespace or on another machine may have the same one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The name of attempt `attempt` of process `process` to write `file`.
std::string TemporaryName(std::string_view file, uint32_t process, int attempt);

// The same, as a path beside `target`.
std::filesystem::path TemporaryPath(const std::filesystem::path& target,
                                    uint32_t process, int attempt);

// True when `name` is the name of a temporary file for `file`. Names are
// UTF-8 on every system.
bool IsTemporaryName(std::string_view name, std::string_view file);

// Hands each regular file beside `target` named as a temporary file for it
// to `remove_if_abandoned`, and nothing else: what runs killed outright
// (SIGKILL, a power cut) left behind, and those still being written.
void RemoveStaleTemporaries(
    const std::filesystem::path& target,
    const std::function<bool(const std::filesystem::path& file)>&
        remove_if_abandoned);
