// The text of a report's strings. The writer copies them as the platform
// gave them, in the machine's 8-bit code page; a mail client may have
// turned them into UTF-8 on the way. For showing them, a byte sequence that
// is valid UTF-8 is taken as UTF-8 and any other byte as Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ksr {

// The character of a Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number, as Windows converts them.
uint32_t ReportTextCp1252(unsigned char byte);

// The Windows-1252 byte of a character, when the code page has one.
bool ReportTextCp1252Byte(uint32_t codePoint, unsigned char* byte);

// Appends a character (at most U+10FFFF, no surrogate) as UTF-8.
void ReportTextAppendUtf8(uint32_t codePoint, std::string* out);

// The length of the valid UTF-8 sequence that starts at text[at] (1 for
// a byte below 0x80), and its character; 0 when there is none: a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, or a
// character past U+10FFFF.
size_t ReportTextUtf8Length(const std::string& text, size_t at, uint32_t* codePoint);

// The bytes as UTF-8: valid UTF-8 stays, other bytes are read as
// Windows-1252. The result is always valid UTF-8 (for JSON).
std::string ReportTextUtf8(const std::string& bytes);

// The same for a terminal: control characters (below 0x20, 0x7F, and
// 0x80 to 0x9F) are shown as \xNN, one per byte they came from, so that a
// driver's string cannot move the cursor or change colours.
std::string ReportTextShown(const std::string& bytes);

}  // namespace ksr
