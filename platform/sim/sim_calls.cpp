// The table of the platform's calls, filled by the simulated platform.
#include "platform/sim/sim_calls.h"

namespace ksr {

PlatformCalls gPlatform = {
#define KSR_PLATFORM_CALL(type, name, params, args) &sim::name,
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL
};

}  // namespace ksr
