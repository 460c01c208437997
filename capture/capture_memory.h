// The capture's memory: one fixed block, reserved statically as the report's
// Arena is, so that recording asks the platform for nothing and can't grow
// without bound. What does not fit is left out and the capture says so.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ksr {

// Driver and registry bytes are kept up to these bounds: any one answer,
// and all of them together. Larger answers are recorded by their length
// only, and the capture is marked truncated.
constexpr uint32_t kCaptureAnswerLimit = 1u << 20;
constexpr uint32_t kCaptureBytesLimit = 16u << 20;
// Room for the records themselves, beside the kept bytes.
constexpr uint32_t kCaptureRecordsLimit = 8u << 20;
// The largest answer buffer that a replay's simulated heap grants: a real
// heap that granted more makes a replay that can't follow the machine.
// The simulator's own bound; capture_json_test.cpp holds the two equal.
constexpr uint64_t kCaptureReplayHeapLimit = 64u << 20;

// A zero-filled block of size bytes for a record, aligned for pointers, or
// null when the records' room is used up.
void* CaptureMemoryAlloc(uint32_t size);

// Copies length bytes of an answer into the capture's memory: the copy, or null when
// the answer is over kCaptureAnswerLimit or the bytes' room is used up (and
// also for length 0).
uint8_t* CaptureMemoryKeep(const void* bytes, uint32_t length);

// Empties the memory; for tests, which record many captures in one process.
void CaptureMemoryReset();

}  // namespace ksr
