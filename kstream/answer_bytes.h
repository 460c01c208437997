// Bounded little-endian reads of driver answers. Every read names the
// answer's readable length; nothing past it is ever touched.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace ksr {

// True when length bytes at offset lie within limit. 64-bit offsets, so a
// walk driven by a driver's numbers can't wrap.
inline bool AnswerHas(uint32_t limit, uint64_t offset, uint64_t length) {
  return offset <= limit && length <= limit - offset;
}

inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline bool ReadU32(const uint8_t* data, uint32_t limit, uint64_t offset, uint32_t* value) {
  if (!AnswerHas(limit, offset, 4)) return false;
  *value = LoadU32(data + offset);
  return true;
}

// True when the 16 bytes at offset are within limit and equal guid.
inline bool MatchGuid(const uint8_t* data, uint32_t limit, uint64_t offset, const GUID& guid) {
  return AnswerHas(limit, offset, 16) && GuidEqualsBytes(guid, data + offset);
}

}  // namespace ksr
