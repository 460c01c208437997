#include "platform/wintypes.h"

#include <cstring>

namespace ksr {

void GuidToBytes(const GUID& guid, uint8_t out[16]) {
  out[0] = static_cast<uint8_t>(guid.Data1);
  out[1] = static_cast<uint8_t>(guid.Data1 >> 8);
  out[2] = static_cast<uint8_t>(guid.Data1 >> 16);
  out[3] = static_cast<uint8_t>(guid.Data1 >> 24);
  out[4] = static_cast<uint8_t>(guid.Data2);
  out[5] = static_cast<uint8_t>(guid.Data2 >> 8);
  out[6] = static_cast<uint8_t>(guid.Data3);
  out[7] = static_cast<uint8_t>(guid.Data3 >> 8);
  std::memcpy(out + 8, guid.Data4, 8);
}

bool GuidEqualsBytes(const GUID& guid, const uint8_t* bytes) {
  uint8_t wanted[16];
  GuidToBytes(guid, wanted);
  return std::memcmp(wanted, bytes, 16) == 0;
}

bool GuidEqual(const GUID& a, const GUID& b) {
  uint8_t bytes[16];
  GuidToBytes(b, bytes);
  return GuidEqualsBytes(a, bytes);
}

}  // namespace ksr
