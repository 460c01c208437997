// A machine file as an editor may have saved it: UTF-16 (little- or
// big-endian) after its byte-order mark, turned to the UTF-8 that JSON is
// read in. Any other text is given back as it is (a UTF-8 byte-order mark
// and either line end are JSON's own business).
#pragma once

#include <cstdint>
#include <string>

namespace ksr {

inline void SimAppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | code >> 6);
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | code >> 12);
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | code >> 18);
    *out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

inline std::string SimTextUtf8(const std::string& text) {
  if (text.size() < 2) return text;
  uint8_t b0 = static_cast<uint8_t>(text[0]), b1 = static_cast<uint8_t>(text[1]);
  bool little = b0 == 0xFF && b1 == 0xFE, big = b0 == 0xFE && b1 == 0xFF;
  if (!little && !big) return text;
  auto unit = [&](size_t at) {
    uint32_t lo = static_cast<uint8_t>(text[at + (little ? 0 : 1)]);
    uint32_t hi = static_cast<uint8_t>(text[at + (little ? 1 : 0)]);
    return hi << 8 | lo;
  };
  std::string out;
  // A lone surrogate or an odd last byte becomes U+FFFD. Inside a string it
  // stands for the character that could not be read, as text decoders do;
  // anywhere else no JSON token holds it, and the file is refused there.
  for (size_t at = 2; at < text.size(); at += 2) {
    if (at + 1 >= text.size()) {
      SimAppendUtf8(0xFFFD, &out);
      break;
    }
    uint32_t code = unit(at);
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < text.size()) {
      uint32_t low = unit(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    SimAppendUtf8(code >= 0xD800 && code < 0xE000 ? 0xFFFD : code, &out);
  }
  return out;
}

}  // namespace ksr
