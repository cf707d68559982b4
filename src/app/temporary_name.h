// The temporary files' names, "<file>.<process id>-<attempt>.tmp": a run
// killed outright leaves one behind, and the process id in its name tells a
// later run whether its writer still runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The name of attempt `attempt` of process `process` to write `file`.
std::string TemporaryName(std::string_view file, uint32_t process, int attempt);

// The same, as a path beside `target`.
std::filesystem::path TemporaryPath(const std::filesystem::path& target,
                                    uint32_t process, int attempt);

// The process whose temporary file for `file` `name` is; nullopt when
// `name` is not such a name. Names are UTF-8 on every system.
std::optional<uint32_t> TemporaryNameOwner(std::string_view name,
                                           std::string_view file);

// Removes the regular files beside `target` named as temporary files for
// it whose writer `ended(file, process)` says no longer runs, and nothing
// else: what runs killed outright (SIGKILL, a power cut) left behind.
void RemoveStaleTemporaries(const std::filesystem::path& target,
                            bool (*ended)(const std::filesystem::path& file,
                                          uint32_t process));
