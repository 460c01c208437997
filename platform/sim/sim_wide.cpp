// Wide (UTF-16) paths of the simulated machine, which keeps its paths in
// UTF-8, as its files are named on disk.
#include "encoding/encoding.h"
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One character of UTF-8 at text[*at]; a malformed one reads as the
// replacement character and uses up one byte.
char32_t NextUtf8(const std::string& text, size_t* at) {
  uint32_t c = 0;
  size_t length = EncodingUtf8Length(text, *at, &c);
  *at += length == 0 ? 1 : length;
  return length == 0 ? kReplacement : c;
}

std::u16string SimWideFromUtf8(const std::string& text) {
  std::u16string wide;
  for (size_t at = 0; at < text.size();) EncodingAppendUtf16(NextUtf8(text, &at), &wide);
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
  for (size_t i = 0; text[i] != 0;) {
    size_t units = 0;
    EncodingAppendUtf8(EncodingUtf16Char(text[i], text[i + 1], &units), &out);
    i += units;
  }
  return out;
}

}  // namespace ksr
