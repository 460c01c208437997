// The capture program's recorder, put between the logic and the platform.
#pragma once

#include "platform/platform.h"

namespace ksr {

// Replaces the entries of the platform's call table (platform/platform.h)
// with the recorder's, which pass each call to the entry they replaced and
// record what came back. Called once, before the run.
void CaptureLayerInstall();

// The platform's own entries, for the capture program's own files, which
// are not part of the run: those the layer replaced, or the table itself
// while it is not installed.
const PlatformCalls& CaptureBelow();

}  // namespace ksr
