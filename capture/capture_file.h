// The capture file beside the program: the program's name with "json" in
// place of its last three characters, written once at the end under a
// temporary name and then renamed, so that a crash never leaves half a file
// under the final name. Every call goes to the platform below the capture
// layer, so the capture's own writing is neither recorded nor counted.
#pragma once

#include "capture/capture_json.h"

namespace ksr {

// Writes gCapture. False when the file could not be made, written or
// renamed; then nothing of it is left behind.
bool CaptureWriteFile(const CaptureProvenance& provenance);

}  // namespace ksr
