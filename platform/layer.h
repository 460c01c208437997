// A platform implementation is normally the platform the logic calls. Built
// with KSR_PLATFORM_BELOW defined, it becomes the layer below another one
// (the capture program's recorder): its operations are then named
// ksr::below::X, and the layer above, which defines ksr::X, calls them
// through platform/below.h. Implementation files put their operations
// between KSR_PLATFORM_LAYER_BEGIN and KSR_PLATFORM_LAYER_END, inside
// namespace ksr.
#pragma once

#if defined(KSR_PLATFORM_BELOW)
#include "platform/below.h"
#define KSR_PLATFORM_LAYER_BEGIN namespace below {
#define KSR_PLATFORM_LAYER_END }
#else
#define KSR_PLATFORM_LAYER_BEGIN
#define KSR_PLATFORM_LAYER_END
#endif
