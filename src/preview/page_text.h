// The page as every stage sees it: the template's own Windows-1256 bytes, one
// character each. The tool's texts are encoded (Cp1256) before they go in, so
// bytes are replaced as characters would be, at half the memory, never decoded.
#pragma once

#include <cstddef>
#include <string>

using PageText = std::string;

// No template is read and no page grows past 256 MiB: a few kilobytes of loop
// markers could ask for gigabytes, and the system kill the program silently.
inline constexpr size_t kMaxPageBytes = size_t{256} << 20;

// Why a stage gave no page.
enum class PageFault {
  kNone,
  kTooLarge,        // the page would have passed kMaxPageBytes
  kMisorderedLoop,  // a loop's end marker stands only before its start marker
};

// What a stage gives: its new page, or the fault that left it none.
struct StageResult {
  PageText page;
  PageFault fault = PageFault::kNone;
};
