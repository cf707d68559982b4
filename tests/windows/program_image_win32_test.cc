// The Windows program file as it is handed to designers: a 64-bit GUI
// program that needs no DLL beside it and carries its manifest and version.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ProgramBytes() {
  std::ifstream in(fs::path(TEMPLATE_PREVIEW_PROGRAM), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A structure at `offset` of the file; the file may be cut short.
template <typename T>
bool ReadAt(const std::string& bytes, size_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

struct ProgramImage {
  bool valid = false;
  IMAGE_NT_HEADERS64 headers = {};
  std::vector<std::string> imports;  // names of the DLLs it loads
};

ProgramImage Inspect(const std::string& bytes) {
  ProgramImage image;
  IMAGE_DOS_HEADER dos;
  if (!ReadAt(bytes, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return image;
  const size_t nt_offset = static_cast<size_t>(dos.e_lfanew);
  if (!ReadAt(bytes, nt_offset, image.headers) ||
      image.headers.Signature != IMAGE_NT_SIGNATURE ||
      image.headers.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    return image;

  std::vector<IMAGE_SECTION_HEADER> sections(
      image.headers.FileHeader.NumberOfSections);
  const size_t first_section = nt_offset +
                               offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                               image.headers.FileHeader.SizeOfOptionalHeader;
  for (size_t i = 0; i < sections.size(); ++i)
    if (!ReadAt(bytes, first_section + i * sizeof(IMAGE_SECTION_HEADER),
                sections[i]))
      return image;
  // Where an address of the loaded image lies in the file.
  auto file_offset = [&](DWORD address) -> size_t {
    for (const IMAGE_SECTION_HEADER& s : sections)
      if (address >= s.VirtualAddress &&
          address < s.VirtualAddress + s.SizeOfRawData)
        return s.PointerToRawData + (address - s.VirtualAddress);
    return bytes.size();
  };

  const IMAGE_DATA_DIRECTORY& directory =
      image.headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  size_t at = file_offset(directory.VirtualAddress);
  for (IMAGE_IMPORT_DESCRIPTOR entry; ReadAt(bytes, at, entry) && entry.Name;
       at += sizeof entry) {
    const size_t name = file_offset(entry.Name);
    if (name >= bytes.size()) return image;
    image.imports.emplace_back(bytes.c_str() + name);
  }
  image.valid = true;
  return image;
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0)
    return L"";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace

TEST(ProgramImageTest, SixtyFourBitGuiProgram) {
  const ProgramImage image = Inspect(ProgramBytes());
  ASSERT_TRUE(image.valid);
  EXPECT_EQ(image.headers.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  // A console program would open a console window on a double-click.
  EXPECT_EQ(image.headers.OptionalHeader.Subsystem,
            IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ProgramImageTest, LoadsOnlyDllsOfTheSystem) {
  const ProgramImage image = Inspect(ProgramBytes());
  ASSERT_TRUE(image.valid);
  ASSERT_FALSE(image.imports.empty());
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  for (const std::string& dll : image.imports)
    EXPECT_TRUE(fs::exists(fs::path(system) / dll))
        << dll << " is no system DLL and would have to lie beside the program";
}

TEST(ProgramImageTest, CarriesItsVersion) {
  const std::wstring program = fs::path(TEMPLATE_PREVIEW_PROGRAM).wstring();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\",
                             reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS,
            static_cast<DWORD>(MAKELONG(TEMPLATE_PREVIEW_VERSION_MINOR,
                                        TEMPLATE_PREVIEW_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS,
            static_cast<DWORD>(MAKELONG(0, TEMPLATE_PREVIEW_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(VersionString(info, L"FileVersion"), TEMPLATE_PREVIEW_VERSION);
  EXPECT_EQ(VersionString(info, L"ProductVersion"), TEMPLATE_PREVIEW_VERSION);
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"template-preview.exe");
}

TEST(ProgramImageTest, CarriesItsManifest) {
  const std::wstring program = fs::path(TEMPLATE_PREVIEW_PROGRAM).wstring();
  HMODULE module =
      LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr) << "no manifest";
  const char* data =
      static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string manifest(data, SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""),
            std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor<"), std::string::npos);
  EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}
