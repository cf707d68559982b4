// The temporary files' names, "<file>.<process id>-<attempt>.tmp": a run
// killed outright leaves one behind, and the process id in its name tells a
// later run whether its writer still runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The name of attempt `attempt` of process `process` to write `file`.
std::string TemporaryName(std::string_view file, uint32_t process, int attempt);

// The process whose temporary file for `file` `name` is; nullopt when
// `name` is not such a name. Names are UTF-8 on every system.
std::optional<uint32_t> TemporaryNameOwner(std::string_view name,
                                           std::string_view file);
