// Checks the code page against glibc's own CP1256 tables.

#include <iconv.h>

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // nullopt when iconv refuses the input.
  std::optional<std::string> Convert(std::string in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(16, '\0');
    char* in_ptr = in.data();
    size_t in_left = in.size();
    char* out_ptr = out.data();
    size_t out_left = out.size();
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == size_t(-1))
      return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
  }

 private:
  iconv_t cd_;
};

std::string Utf16Le(char16_t c) {
  return {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
}

}  // namespace

TEST(CodePageIconvTest, DecodingMatchesIconv) {
  Converter to_utf16("UTF-16LE", "CP1256");
  ASSERT_TRUE(to_utf16.valid());
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::optional<std::string> reference = to_utf16.Convert(byte);
    ASSERT_TRUE(reference) << "byte " << b;
    EXPECT_EQ(Utf16Le(DecodeWindows1256(byte)[0]), *reference) << "byte " << b;
  }
}

TEST(CodePageIconvTest, EncodingMatchesIconvForEveryCodeUnit) {
  Converter to_cp1256("CP1256", "UTF-16LE");
  ASSERT_TRUE(to_cp1256.valid());
  for (int c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;  // not a character on its own
    const char16_t unit = static_cast<char16_t>(c);
    const std::optional<std::string> reference = to_cp1256.Convert(Utf16Le(unit));
    const std::optional<std::string> ours =
        EncodeWindows1256(std::u16string(1, unit));
    EXPECT_EQ(ours, reference) << "U+" << std::hex << c;
  }
}
