#include "capture/capture_memory.h"

#include <cstring>

namespace ksr {

namespace {

alignas(8) unsigned char gRecords[kCaptureRecordsLimit];
alignas(8) unsigned char gBytes[kCaptureBytesLimit];
uint32_t gRecordsUsed = 0;
uint32_t gBytesUsed = 0;

}  // namespace

void* CaptureMemoryAlloc(uint32_t size) {
  uint64_t rounded = (static_cast<uint64_t>(size) + 7) & ~static_cast<uint64_t>(7);
  if (rounded > kCaptureRecordsLimit - gRecordsUsed) return nullptr;
  unsigned char* block = gRecords + gRecordsUsed;
  gRecordsUsed += static_cast<uint32_t>(rounded);
  std::memset(block, 0, static_cast<size_t>(rounded));
  return block;
}

uint8_t* CaptureMemoryKeep(const void* bytes, uint32_t length) {
  if (length == 0 || length > kCaptureAnswerLimit || length > kCaptureBytesLimit - gBytesUsed) {
    return nullptr;
  }
  uint8_t* copy = gBytes + gBytesUsed;
  gBytesUsed += length;
  std::memcpy(copy, bytes, length);
  return copy;
}

void CaptureMemoryReset() {
  gRecordsUsed = 0;
  gBytesUsed = 0;
}

}  // namespace ksr
