// Wide (UTF-16) paths of the simulated machine, which keeps its paths in
// UTF-8, as its files are named on disk.
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PutUtf8(char32_t c, std::string* out) {
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

void PutUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    *out += static_cast<char16_t>(c);
    return;
  }
  c -= 0x10000;
  *out += static_cast<char16_t>(0xD800 | (c >> 10));
  *out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
}

// One character of UTF-8 at text[*at]; a malformed one reads as the
// replacement character and uses up one byte.
char32_t NextUtf8(const std::string& text, size_t* at) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(*at);
  size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || *at + length > text.size()) {
    ++*at;
    return lead < 0x80 ? lead : kReplacement;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(*at + i) & 0xC0) != 0x80) {
      ++*at;
      return kReplacement;
    }
    c = (c << 6) | (byte(*at + i) & 0x3F);
  }
  *at += length;
  return c;
}

std::u16string SimWideFromUtf8(const std::string& text) {
  std::u16string wide;
  for (size_t at = 0; at < text.size();) PutUtf16(NextUtf8(text, &at), &wide);
  return wide;
}

}  // namespace

std::u16string SimWideModuleFileName() {
  SimWorld& world = World();
  if (world.machine.moduleFileNameW) return SimWideFromUtf8(*world.machine.moduleFileNameW);
  // Without a wide path of its own, the machine's path is its 8-bit one,
  // read as the UTF-8 a machine file holds, so that the report lands under
  // the same name on disk as when the program asked for the 8-bit path;
  // bytes that are not UTF-8 (a machine built in code) count one a
  // character.
  const std::string& text = SimModuleFileName();
  std::u16string wide = SimWideFromUtf8(text);
  if (wide.find(static_cast<char16_t>(kReplacement)) == std::u16string::npos) return wide;
  wide.clear();
  for (char c : text) wide += static_cast<char16_t>(static_cast<uint8_t>(c));
  return wide;
}

std::string SimUtf8(const char16_t* text) {
  std::string out;
  for (size_t i = 0; text[i] != 0; ++i) {
    char32_t c = text[i];
    bool high = c >= 0xD800 && c < 0xDC00;
    if (high && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;
    }
    PutUtf8(c, &out);
  }
  return out;
}

}  // namespace ksr
