// Bounded little-endian reads of driver answers. Every read names the
// answer's readable length; nothing past it is ever touched.
#pragma once

#include <cstdint>

#include "report/note.h"
#include "platform/wintypes.h"

namespace ksr {

// True when length bytes at offset lie within limit. 64-bit offsets, so a
// walk driven by a driver's numbers can't wrap.
inline bool KsAnswerHas(uint32_t limit, uint64_t offset, uint64_t length) {
  if (offset <= limit && length <= limit - offset) return true;
  NoteMake(Note::kPastAnswer, offset + length);
  return false;
}

// The number at offset, when its 4 bytes lie within limit.
inline bool KsAnswerReadU32(const uint8_t* data, uint32_t limit, uint64_t offset, uint32_t* value) {
  if (!KsAnswerHas(limit, offset, 4)) return false;
  *value = WireLoadU32(data + offset);
  return true;
}

// True when the 16 bytes at offset are within limit and equal guid.
inline bool KsAnswerMatchGuid(const uint8_t* data, uint32_t limit, uint64_t offset, const GUID& guid) {
  return KsAnswerHas(limit, offset, 16) && GuidEqualsBytes(guid, data + offset);
}

}  // namespace ksr
