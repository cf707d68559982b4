// The names of the temporary files a preview is written to before it takes
// its place: "<file>.<process id>-<attempt>.tmp", beside the file it
// replaces. A run that was killed outright leaves such a file behind; the
// process id in the name tells a later run whether its writer still runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The name of attempt `attempt` of process `process` to write `file` (a
// file name, not a path).
std::string TemporaryName(std::string_view file, uint32_t process, int attempt);

// The process whose temporary file for `file` `name` is; nullopt when
// `name` is not such a name. Names are UTF-8 on every system.
std::optional<uint32_t> TemporaryNameOwner(std::string_view name,
                                           std::string_view file);
