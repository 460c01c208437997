// Every operation that the tool asks of the operating system, declared once
// under the platform's published name and types (platform/platform_calls.inc).
// Two implementations are chosen at link time: platform/win32/ forwards to
// Windows, platform/sim/ plays a simulated machine. The logic includes this
// header only.
#pragma once

#include "platform/wintypes.h"

namespace ksr {
#include "platform/platform_calls.inc"
}  // namespace ksr
