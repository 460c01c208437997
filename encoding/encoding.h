// The text encodings the companions meet: the 8-bit code page the writer
// copies a driver's strings in (Windows-1252 as shown here), the UTF-8 a
// mail client or a machine file holds, and the UTF-16 an editor saves as
// "Unicode" and the wide file calls take. The report program needs none of
// it; the simulator, the reader and the explanation share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ksr {

// The character of a Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number, as Windows converts them.
uint32_t EncodingCp1252(unsigned char byte);

// The Windows-1252 byte of a character, when the code page has one.
bool EncodingCp1252Byte(uint32_t codePoint, unsigned char* byte);

// Appends a character (at most U+10FFFF, no surrogate) as UTF-8.
void EncodingAppendUtf8(uint32_t codePoint, std::string* out);

// Appends a character (at most U+10FFFF, no surrogate) as UTF-16: one unit,
// or a surrogate pair past U+FFFF.
void EncodingAppendUtf16(uint32_t codePoint, std::u16string* out);

// The length of the valid UTF-8 sequence that starts at text[at] (1 for
// a byte below 0x80), and its character; 0 when there is none: a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, or a
// character past U+10FFFF.
size_t EncodingUtf8Length(const std::string& text, size_t at, uint32_t* codePoint);

// The character of the UTF-16 unit `unit` followed by `next` (0 when there
// is none), and in *units how many of the two it takes: a surrogate pair
// is one character of two units; a lone surrogate is U+FFFD, one unit.
uint32_t EncodingUtf16Char(uint32_t unit, uint32_t next, size_t* units);

// The character of the UTF-16 text in `bytes` at byte `at` (little- or
// big-endian), and the bytes it takes: 2 or 4; 0 when fewer than two
// bytes are left (an odd last byte).
size_t EncodingUtf16Next(const std::string& bytes, size_t at, bool bigEndian, uint32_t* codePoint);

// A text as an editor may have saved it: UTF-16 (little- or big-endian)
// after its byte-order mark, turned to UTF-8, with an odd last byte as
// U+FFFD; any other text is given back as it is.
std::string EncodingUtf8OfUnicode(const std::string& text);

// The bytes as UTF-8: valid UTF-8 stays, other bytes are read as
// Windows-1252. The result is always valid UTF-8 (for JSON).
std::string EncodingUtf8(const std::string& bytes);

// The same for a terminal: control characters (below 0x20, 0x7F, and
// 0x80 to 0x9F) are shown as \xNN, one per byte they came from, so that a
// driver's string cannot move the cursor or change colours.
std::string EncodingShown(const std::string& bytes);

}  // namespace ksr
