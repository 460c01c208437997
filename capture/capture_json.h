// Writes a capture as a machine file (docs/machine-file.md): valid JSON
// whatever bytes the drivers gave, text only where the bytes are plain
// printable characters, hex everywhere else.
#pragma once

#include <cstdint>

#include "capture/capture_model.h"

namespace ksr {

// The longest value the file gives by its length alone ({"unread": N}, a
// device property refused for size); a loader of machine files takes no
// longer one, so a longer need is written as this. The loader's own bound;
// capture_json_test.cpp holds the two equal.
constexpr uint32_t kCaptureUnreadValueLimit = 16u << 20;

// Where the text goes, in pieces: Flush gets each full buffer and the rest
// at the end, and returns false when the text can't be taken; the writer
// then stops.
struct CaptureSink {
  bool (*Flush)(void* context, const char* text, uint32_t length);
  void* Context;
  char Buffer[1u << 16];
  uint32_t Used;
  bool Failed;
};

// The program and version that wrote the capture, and its architecture.
struct CaptureProvenance {
  const char* Program;
  const char* Version;
  const char* Arch;
};

// Writes model as one machine file to sink. False when the sink failed.
bool CaptureWriteMachine(const CaptureModel& model, const CaptureProvenance& provenance,
                         CaptureSink* sink);

}  // namespace ksr
