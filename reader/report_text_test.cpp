#include "reader/report_text.h"

#include <gtest/gtest.h>

namespace ksr {
namespace {

TEST(ReportText, Cp1252BothWays) {
  EXPECT_EQ(ReportTextCp1252(0x41), 0x41u);
  EXPECT_EQ(ReportTextCp1252(0x80), 0x20ACu);  // euro sign
  EXPECT_EQ(ReportTextCp1252(0x9F), 0x0178u);
  EXPECT_EQ(ReportTextCp1252(0x81), 0x0081u);  // undefined: the control of that number
  EXPECT_EQ(ReportTextCp1252(0xA0), 0x00A0u);
  EXPECT_EQ(ReportTextCp1252(0xE9), 0x00E9u);
  for (int b = 0; b < 256; ++b) {
    unsigned char back = 0;
    ASSERT_TRUE(ReportTextCp1252Byte(ReportTextCp1252(static_cast<unsigned char>(b)), &back)) << b;
    EXPECT_EQ(back, b);
  }
  unsigned char byte = 0;
  EXPECT_FALSE(ReportTextCp1252Byte(0x0080, &byte));  // the euro sign took 0x80's place
  EXPECT_FALSE(ReportTextCp1252Byte(0x0416, &byte));  // Cyrillic
  EXPECT_FALSE(ReportTextCp1252Byte(0x100, &byte));
}

TEST(ReportText, Utf8Encoding) {
  std::string out;
  for (uint32_t c : {0x41u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    ReportTextAppendUtf8(c, &out);
  }
  EXPECT_EQ(out, "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  uint32_t c = 0;
  EXPECT_EQ(ReportTextUtf8Length("\xF4\x8F\xBF\xBF", 0, &c), 4u);
  EXPECT_EQ(c, 0x10FFFFu);
  EXPECT_EQ(ReportTextUtf8Length("x\xC3\xA9", 1, &c), 2u);
  EXPECT_EQ(c, 0xE9u);
  for (const char* bad : {"\x80", "\xC3", "\xC3(", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xE2\x82"}) {
    EXPECT_EQ(ReportTextUtf8Length(bad, 0, &c), 0u) << bad;
  }
}

TEST(ReportText, ValidUtf8StaysOtherBytesAreCp1252) {
  EXPECT_EQ(ReportTextUtf8("Caf\xE9 \x80 5"), "Caf\xC3\xA9 \xE2\x82\xAC 5");
  EXPECT_EQ(ReportTextUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(ReportTextUtf8("\xD0\x9C\xD0\xB8\xD0\xBA"), "\xD0\x9C\xD0\xB8\xD0\xBA");  // already UTF-8
  // A lead byte whose sequence breaks off is a Windows-1252 character, and
  // the bytes after it are read afresh.
  EXPECT_EQ(ReportTextUtf8("\xE9\xC3\xA9"), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(ReportTextUtf8("\xC3"), "\xC3\x83");
  EXPECT_EQ(ReportTextUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(ReportTextUtf8(""), "");
}

TEST(ReportText, ShownTextEscapesControls) {
  EXPECT_EQ(ReportTextShown("Speakers"), "Speakers");
  EXPECT_EQ(ReportTextShown("\x1B[31mred\t"), "\\x1B[31mred\\x09");
  EXPECT_EQ(ReportTextShown("\x7F\x81\x9B"), "\\x7F\\x81\xE2\x80\xBA");  // 0x9B is a quote mark in 1252
  EXPECT_EQ(ReportTextShown("\xC2\x9B" "x"), "\\xC2\\x9Bx");               // the C1 CSI as UTF-8
  EXPECT_EQ(ReportTextShown("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(ReportTextShown(std::string("\0", 1)), "\\x00");
}

}  // namespace
}  // namespace ksr
