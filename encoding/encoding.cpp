#include "encoding/encoding.h"

#include <cstdio>

namespace ksr {

namespace {

// Windows-1252 from 0x80 to 0x9F; everything else is Latin-1.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsControl(uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void AppendEscaped(const std::string& bytes, size_t at, size_t length, std::string* out) {
  for (size_t i = at; i < at + length; ++i) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(bytes[i]));
    *out += text;
  }
}

// Walks the bytes as valid UTF-8 where they are, Windows-1252 elsewhere.
template <typename Each>
void ForEachCharacter(const std::string& bytes, Each each) {
  for (size_t at = 0; at < bytes.size();) {
    uint32_t c = 0;
    size_t length = EncodingUtf8Length(bytes, at, &c);
    if (length == 0) {
      c = EncodingCp1252(static_cast<unsigned char>(bytes[at]));
      length = 1;
    }
    each(at, length, c);
    at += length;
  }
}

}  // namespace

uint32_t EncodingCp1252(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte;
}

bool EncodingCp1252Byte(uint32_t codePoint, unsigned char* byte) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    *byte = static_cast<unsigned char>(codePoint);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kCp1252High[i] == codePoint) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

void EncodingAppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void EncodingAppendUtf16(uint32_t c, std::u16string* out) {
  if (c < 0x10000) {
    *out += static_cast<char16_t>(c);
    return;
  }
  c -= 0x10000;
  *out += static_cast<char16_t>(0xD800 | (c >> 10));
  *out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
}

size_t EncodingUtf8Length(const std::string& text, size_t at, uint32_t* codePoint) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || text.size() - at < length) return 0;
  uint32_t c = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  static const uint32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kShortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *codePoint = c;
  return length;
}

uint32_t EncodingUtf16Char(uint32_t unit, uint32_t next, size_t* units) {
  *units = 1;
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
    *units = 2;
    return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
  }
  return 0xFFFD;
}

size_t EncodingUtf16Next(const std::string& bytes, size_t at, bool bigEndian, uint32_t* codePoint) {
  auto unit = [&](size_t i) -> uint32_t {
    if (bytes.size() < 2 || i > bytes.size() - 2) return 0;
    uint32_t first = static_cast<unsigned char>(bytes[i]);
    uint32_t second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? first << 8 | second : second << 8 | first;
  };
  if (bytes.size() < 2 || at > bytes.size() - 2) return 0;
  size_t units = 0;
  *codePoint = EncodingUtf16Char(unit(at), unit(at + 2), &units);
  return 2 * units;
}

std::string EncodingUtf8OfUnicode(const std::string& text) {
  if (text.size() < 2) return text;
  unsigned char b0 = static_cast<unsigned char>(text[0]), b1 = static_cast<unsigned char>(text[1]);
  bool little = b0 == 0xFF && b1 == 0xFE, big = b0 == 0xFE && b1 == 0xFF;
  if (!little && !big) return text;
  std::string out;
  for (size_t at = 2; at < text.size();) {
    uint32_t c = 0;
    size_t used = EncodingUtf16Next(text, at, big, &c);
    if (used == 0) {  // an odd last byte
      EncodingAppendUtf8(0xFFFD, &out);
      break;
    }
    EncodingAppendUtf8(c, &out);
    at += used;
  }
  return out;
}

std::string EncodingUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  ForEachCharacter(bytes, [&](size_t, size_t, uint32_t c) { EncodingAppendUtf8(c, &out); });
  return out;
}

std::string EncodingShown(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  ForEachCharacter(bytes, [&](size_t at, size_t length, uint32_t c) {
    if (IsControl(c)) {
      AppendEscaped(bytes, at, length, &out);
    } else {
      EncodingAppendUtf8(c, &out);
    }
  });
  return out;
}

}  // namespace ksr
