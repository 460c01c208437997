// The Arena: one statically reserved 1 MiB store used as a bump allocator
// with release to a mark. Nothing in it is freed one by one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ksr {

constexpr uint32_t kArenaStoreSize = 1u << 20;

// Blocks start aligned for the records' pointers. On 32-bit builds this is
// the 4 of the top's own invariant, so nothing changes there; on 64-bit
// builds a block after a string may start 4 bytes further up.
constexpr size_t kArenaBlockAlign = alignof(void*) > 4 ? alignof(void*) : 4;

// Reserves size rounded up to a multiple of 4, zero-filled, or returns null
// (top unchanged, nothing written) when the block would not end strictly
// below the store's end.
void* ArenaAlloc(uint32_t size);

// Writes a NUL at the top and returns the top, which does not move. Null
// only when the top sits at the store's very end.
char* ArenaScratch();

// A scratch buffer for a platform call told `size` bytes: null unless the
// size and one more byte fit below the store's end; otherwise the top,
// zero-filled over size + 1 bytes, so whatever the platform delivers ends
// in a NUL inside the store.
char* ArenaScratchFor(uint32_t size);

// Ends a scratch string that the platform filled to the last byte of the
// `size` bytes it was told, without a NUL inside them.
void ArenaScratchEnd(char* buffer, uint32_t size);

// True when `size` bytes fit between the top and the store's end.
bool ArenaHasRoom(uint32_t size);

// Reserves everything from the top through the NUL that ends text, rounded
// up to a multiple of 4. The scan for the NUL stops at the store's end.
void ArenaCommitString(const char* text);

// Sets the top to mark.
void ArenaRelease(void* mark);

unsigned char* ArenaStoreStart();
unsigned char* ArenaStoreEnd();
unsigned char* ArenaTop();

}  // namespace ksr
