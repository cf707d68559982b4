// The page as every stage sees it: the template's own Windows-1256 bytes.
// Each byte of that code page is one character and every text the tool puts
// into a page is encoded into it first (Cp1256), so working on bytes gives the
// page working on characters would, at half the memory and with no decoding
// or encoding of the page itself.
#pragma once

#include <cstddef>
#include <string>

using PageText = std::string;

// No template is read and no page grows past 256 MiB: loops multiply text,
// and a few kilobytes of markers could otherwise ask for gigabytes and end
// with the system killing the program without a word.
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
