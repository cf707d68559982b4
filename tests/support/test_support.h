// Helpers shared by the tests: files, the tests' own texts in the code page,
// and templates built to break a run.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "text/codepage.h"

// A text of a test, as Windows-1256 bytes; it must lie within the code page.
inline std::string Encoded(std::u16string_view text) {
  return EncodeWindows1256(text).value();
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path,
                      std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every byte from 0x80 to 0xFF, in order: the code page's upper half.
inline std::string UpperHalfBytes() {
  std::string bytes;
  for (int b = 0x80; b < 0x100; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// 7,646 bytes whose loop copies would make 800 MB: each of the 200 menu end
// markers receives copies of 200 text-list end markers, and each of those
// the text list's copies.
inline std::string LoopCopiesPastTheLimit() {
  std::string page = "<#Loop:TextList#>" + std::string(2000, 'z') +
                     "<#End:TextList#><#Loop:Menu#>";
  for (int i = 0; i < 200; ++i) page += "<#End:TextList#>";
  for (int i = 0; i < 200; ++i) page += "<#End:Menu#>";
  return page;
}
