// Every operation that the tool asks of the operating system, declared once
// under the platform's published name and types (platform/platform_calls.inc),
// and reached through one table of the platform's calls: each entry is
// named after its call and holds its current implementation. The
// implementation linked in fills the table (platform/win32/ forwards to
// Windows, platform/sim/ plays a simulated machine); the capture program
// replaces the entries it records with its own, which call the ones it
// saved. The logic includes this header only, and calls the operations by
// their names.
#pragma once

#include "platform/wintypes.h"

namespace ksr {

struct PlatformCalls {
#define KSR_PLATFORM_CALL(type, name, params, args) type(*name) params;
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL
};

// The table the logic calls through; defined, and filled, by the platform
// implementation.
extern PlatformCalls gPlatform;

#define KSR_PLATFORM_CALL(type, name, params, args) \
  inline type name params { return gPlatform.name args; }
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL

}  // namespace ksr
