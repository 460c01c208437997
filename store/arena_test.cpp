#include "store/arena.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ksr {
namespace {

class ArenaTest : public ::testing::Test {
 protected:
  void SetUp() override { ArenaRelease(ArenaStoreStart()); }
  unsigned char* End() { return ArenaStoreEnd(); }
};

TEST_F(ArenaTest, RefusesABlockThatWouldEndExactlyAtTheStoreEnd) {
  ArenaRelease(End() - 92);
  EXPECT_EQ(ArenaAlloc(92), nullptr);
  EXPECT_EQ(ArenaTop(), End() - 92);

  ArenaRelease(End() - 96);
  void* block = ArenaAlloc(92);
  EXPECT_EQ(block, End() - 96);
  EXPECT_EQ(ArenaTop(), End() - 4);
}

TEST_F(ArenaTest, RoundsSizesUpToFourBytes) {
  unsigned char* start = ArenaStoreStart();
  ArenaAlloc(1);
  EXPECT_EQ(ArenaTop(), start + 4);
  ArenaRelease(start);
  ArenaAlloc(5);
  EXPECT_EQ(ArenaTop(), start + 8);
  ArenaRelease(start);
  ArenaAlloc(0);
  EXPECT_EQ(ArenaTop(), start);
}

TEST_F(ArenaTest, SizesNearTwoToTheThirtyTwoDoNotWrapToSmallBlocks) {
  EXPECT_EQ(ArenaAlloc(0xFFFFFFFEu), nullptr);
  EXPECT_EQ(ArenaAlloc(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(ArenaTop(), ArenaStoreStart());
}

TEST_F(ArenaTest, HandsOutReleasedBytesZeroFilled) {
  unsigned char* block = static_cast<unsigned char*>(ArenaAlloc(948));
  std::memset(block, 0xAB, 948);
  ArenaRelease(block);
  unsigned char* again = static_cast<unsigned char*>(ArenaAlloc(948));
  ASSERT_EQ(again, block);
  for (int i = 0; i < 948; ++i) ASSERT_EQ(again[i], 0) << "byte " << i;
}

TEST_F(ArenaTest, ScratchWithoutCommitReusesTheSameBytes) {
  char* first = ArenaScratch();
  std::strcpy(first, "abc");
  char* second = ArenaScratch();
  EXPECT_EQ(first, second);
  EXPECT_EQ(second[0], '\0');
  EXPECT_EQ(second[1], 'b');
  EXPECT_EQ(ArenaTop(), ArenaStoreStart());
}

TEST_F(ArenaTest, CommitTakesTheStringAndItsNulRoundedUp) {
  unsigned char* start = ArenaStoreStart();
  ArenaCommitString(ArenaScratch());
  EXPECT_EQ(ArenaTop(), start + 4) << "an empty string takes 4 bytes";
  std::strcpy(ArenaScratch(), "abc");
  ArenaCommitString(reinterpret_cast<char*>(ArenaTop()));
  EXPECT_EQ(ArenaTop(), start + 8);
  std::strcpy(ArenaScratch(), "abcd");
  ArenaCommitString(reinterpret_cast<char*>(ArenaTop()));
  EXPECT_EQ(ArenaTop(), start + 16);
}

TEST_F(ArenaTest, CommitFromInsideABlockReservesFromTheTop) {
  // The interface detail block: a size word, then the path.
  char* block = ArenaScratch();
  std::memcpy(block, "\x05\0\0\0path", 9);
  ArenaCommitString(block + 4);
  EXPECT_EQ(ArenaTop(), ArenaStoreStart() + 12);
}

TEST_F(ArenaTest, ScratchForNeedsRoomForTheSizeAndANul) {
  ArenaRelease(End() - 260);
  EXPECT_EQ(ArenaScratchFor(260), nullptr) << "no byte left for the NUL";
  ArenaRelease(End() - 261);
  char* buffer = ArenaScratchFor(260);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer[260], '\0');
}

TEST_F(ArenaTest, ScratchForZeroFillsOverStaleBytes) {
  std::memset(ArenaStoreStart(), 'x', 300);
  char* buffer = ArenaScratchFor(260);
  for (int i = 0; i <= 260; ++i) ASSERT_EQ(buffer[i], '\0');
  EXPECT_EQ(buffer[261], 'x') << "only the buffer and its NUL are cleared";
}

TEST_F(ArenaTest, CommitScanStopsAtTheStoreEnd) {
  ArenaRelease(End() - 8);
  std::memset(End() - 8, 'y', 8);
  ArenaCommitString(reinterpret_cast<char*>(End() - 8));
  EXPECT_EQ(ArenaTop(), End());
  EXPECT_EQ(End()[-1], '\0') << "the string is cut at the store's last byte";
  EXPECT_EQ(ArenaScratch(), nullptr);
  EXPECT_EQ(ArenaScratchFor(0), nullptr);
  EXPECT_EQ(ArenaAlloc(4), nullptr);
}

TEST_F(ArenaTest, ReleaseToAMarkFreesEverythingAfterIt) {
  void* first = ArenaAlloc(92);
  void* mark = ArenaAlloc(100);
  ArenaAlloc(948);
  std::strcpy(ArenaScratch(), "kept?");
  ArenaCommitString(reinterpret_cast<char*>(ArenaTop()));
  ArenaRelease(mark);
  EXPECT_EQ(ArenaAlloc(100), mark);
  EXPECT_EQ(static_cast<unsigned char*>(first), ArenaStoreStart());
}

TEST_F(ArenaTest, BlocksStayAlignedForPointersAfterOddStrings) {
  std::strcpy(ArenaScratch(), "abc");  // 4 bytes
  ArenaCommitString(reinterpret_cast<char*>(ArenaTop()));
  void* block = ArenaAlloc(92);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(void*), 0u);
#if UINTPTR_MAX == 0xFFFFFFFFu
  EXPECT_EQ(static_cast<unsigned char*>(block), ArenaStoreStart() + 4);
#endif
}

TEST_F(ArenaTest, HandsOutAtMostTheStoreLessFourBytes) {
  uint64_t total = 0;
  while (ArenaAlloc(1024) != nullptr) total += 1024;
  while (ArenaAlloc(8) != nullptr) total += 8;
  while (ArenaAlloc(4) != nullptr) total += 4;
  EXPECT_EQ(total, kArenaStoreSize - 4);
}

}  // namespace
}  // namespace ksr
