#include "store/arena.h"

#include <cstring>

namespace ksr {

namespace {

alignas(8) unsigned char gStore[kArenaStoreSize];
unsigned char* gTop = nullptr;

uintptr_t AlignUp(uintptr_t value, uintptr_t align) { return (value + align - 1) & ~(align - 1); }

}  // namespace

unsigned char* ArenaStoreStart() { return gStore; }
unsigned char* ArenaStoreEnd() { return gStore + kArenaStoreSize; }
unsigned char* ArenaTop() { return gTop; }

void* ArenaAlloc(uint32_t size) {
  uintptr_t top = reinterpret_cast<uintptr_t>(gTop);
  size_t padding = static_cast<size_t>(AlignUp(top, kArenaBlockAlign) - top);
  size_t room = static_cast<size_t>(ArenaStoreEnd() - gTop);
  // 64-bit arithmetic: a size near 2^32 must not wrap to a small block.
  uint64_t rounded = (static_cast<uint64_t>(size) + 3) & ~static_cast<uint64_t>(3);
  if (padding >= room || rounded >= room - padding) return nullptr;
  unsigned char* block = gTop + padding;
  gTop = block + rounded;
  std::memset(block, 0, static_cast<size_t>(rounded));
  return block;
}

char* ArenaScratch() {
  if (gTop >= ArenaStoreEnd()) return nullptr;
  *gTop = 0;
  return reinterpret_cast<char*>(gTop);
}

bool ArenaHasRoom(uint32_t size) {
  return static_cast<size_t>(ArenaStoreEnd() - gTop) >= static_cast<size_t>(size);
}

char* ArenaScratchFor(uint32_t size) {
  if (size == 0xFFFFFFFFu || !ArenaHasRoom(size + 1)) return nullptr;
  char* buffer = ArenaScratch();
  std::memset(buffer, 0, static_cast<size_t>(size) + 1);
  return buffer;
}

void ArenaScratchEnd(char* buffer, uint32_t size) { buffer[size - 1] = '\0'; }

void ArenaCommitString(const char* text) {
  unsigned char* end = ArenaStoreEnd();
  unsigned char* p = reinterpret_cast<unsigned char*>(const_cast<char*>(text));
  while (p < end && *p != 0) ++p;
  // A string that runs to the store's end is cut at its last byte.
  if (p == end) {
    p = end - 1;
    *p = 0;
  }
  uintptr_t offset = static_cast<uintptr_t>(p + 1 - gStore);
  gTop = gStore + AlignUp(offset, 4);
}

void ArenaRelease(void* mark) { gTop = static_cast<unsigned char*>(mark); }

}  // namespace ksr
