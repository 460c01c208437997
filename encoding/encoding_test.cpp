#include "encoding/encoding.h"

#include <gtest/gtest.h>

namespace ksr {
namespace {

TEST(Encoding, Cp1252BothWays) {
  EXPECT_EQ(EncodingCp1252(0x41), 0x41u);
  EXPECT_EQ(EncodingCp1252(0x80), 0x20ACu);  // euro sign
  EXPECT_EQ(EncodingCp1252(0x9F), 0x0178u);
  EXPECT_EQ(EncodingCp1252(0x81), 0x0081u);  // undefined: the control of that number
  EXPECT_EQ(EncodingCp1252(0xA0), 0x00A0u);
  EXPECT_EQ(EncodingCp1252(0xE9), 0x00E9u);
  for (int b = 0; b < 256; ++b) {
    unsigned char back = 0;
    ASSERT_TRUE(EncodingCp1252Byte(EncodingCp1252(static_cast<unsigned char>(b)), &back)) << b;
    EXPECT_EQ(back, b);
  }
  unsigned char byte = 0;
  EXPECT_FALSE(EncodingCp1252Byte(0x0080, &byte));  // the euro sign took 0x80's place
  EXPECT_FALSE(EncodingCp1252Byte(0x0416, &byte));  // Cyrillic
  EXPECT_FALSE(EncodingCp1252Byte(0x100, &byte));
}

TEST(Encoding, Utf8Encoding) {
  std::string out;
  for (uint32_t c : {0x41u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    EncodingAppendUtf8(c, &out);
  }
  EXPECT_EQ(out, "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  uint32_t c = 0;
  EXPECT_EQ(EncodingUtf8Length("\xF4\x8F\xBF\xBF", 0, &c), 4u);
  EXPECT_EQ(c, 0x10FFFFu);
  EXPECT_EQ(EncodingUtf8Length("x\xC3\xA9", 1, &c), 2u);
  EXPECT_EQ(c, 0xE9u);
  for (const char* bad : {"\x80", "\xC3", "\xC3(", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xE2\x82"}) {
    EXPECT_EQ(EncodingUtf8Length(bad, 0, &c), 0u) << bad;
  }
}

TEST(Encoding, ValidUtf8StaysOtherBytesAreCp1252) {
  EXPECT_EQ(EncodingUtf8("Caf\xE9 \x80 5"), "Caf\xC3\xA9 \xE2\x82\xAC 5");
  EXPECT_EQ(EncodingUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(EncodingUtf8("\xD0\x9C\xD0\xB8\xD0\xBA"), "\xD0\x9C\xD0\xB8\xD0\xBA");  // already UTF-8
  // A lead byte whose sequence breaks off is a Windows-1252 character, and
  // the bytes after it are read afresh.
  EXPECT_EQ(EncodingUtf8("\xE9\xC3\xA9"), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(EncodingUtf8("\xC3"), "\xC3\x83");
  EXPECT_EQ(EncodingUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(EncodingUtf8(""), "");
}

TEST(Encoding, ShownTextEscapesControls) {
  EXPECT_EQ(EncodingShown("Speakers"), "Speakers");
  EXPECT_EQ(EncodingShown("\x1B[31mred\t"), "\\x1B[31mred\\x09");
  EXPECT_EQ(EncodingShown("\x7F\x81\x9B"), "\\x7F\\x81\xE2\x80\xBA");  // 0x9B is a quote mark in 1252
  EXPECT_EQ(EncodingShown("\xC2\x9B" "x"), "\\xC2\\x9Bx");               // the C1 CSI as UTF-8
  EXPECT_EQ(EncodingShown("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(EncodingShown(std::string("\0", 1)), "\\x00");
}

TEST(Encoding, Utf16BothWays) {
  // Every boundary of the encoding, out as units and read back as bytes in
  // both orders.
  for (uint32_t c : {0x41u, 0xD7FFu, 0xE000u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x1F600u, 0x10FFFFu}) {
    std::u16string units;
    EncodingAppendUtf16(c, &units);
    ASSERT_EQ(units.size(), c < 0x10000 ? 1u : 2u) << c;
    std::string little, big;
    for (char16_t u : units) {
      little += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
      big += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
    }
    uint32_t back = 0;
    EXPECT_EQ(EncodingUtf16Next(little, 0, false, &back), 2 * units.size()) << c;
    EXPECT_EQ(back, c);
    EXPECT_EQ(EncodingUtf16Next(big, 0, true, &back), 2 * units.size()) << c;
    EXPECT_EQ(back, c);
  }
}

TEST(Encoding, Utf16LoneSurrogatesAndCutUnits) {
  size_t units = 0;
  EXPECT_EQ(EncodingUtf16Char(0xD83D, 0xDE00, &units), 0x1F600u);
  EXPECT_EQ(units, 2u);
  EXPECT_EQ(EncodingUtf16Char(0xD83D, 0x0041, &units), 0xFFFDu);  // high without low
  EXPECT_EQ(units, 1u);
  EXPECT_EQ(EncodingUtf16Char(0xDE00, 0xDE00, &units), 0xFFFDu);  // low first
  EXPECT_EQ(units, 1u);
  EXPECT_EQ(EncodingUtf16Char(0xDBFF, 0xDFFF, &units), 0x10FFFFu);
  EXPECT_EQ(units, 2u);
  uint32_t c = 0;
  // A pair cut after its first unit is a lone surrogate; an odd last byte
  // is no unit at all.
  EXPECT_EQ(EncodingUtf16Next(std::string("\x3D\xD8\x00", 3), 0, false, &c), 2u);
  EXPECT_EQ(c, 0xFFFDu);
  EXPECT_EQ(EncodingUtf16Next(std::string("\x41\x00\x42", 3), 2, false, &c), 0u);
  EXPECT_EQ(EncodingUtf16Next(std::string(), 0, false, &c), 0u);
}

}  // namespace
}  // namespace ksr
