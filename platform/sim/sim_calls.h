// The simulated platform's operations, as ksr::sim::X: the entries it puts
// in the table of the platform's calls (platform/sim/sim_calls.cpp). Inside
// namespace sim an operation's name is the simulator's own, so that the
// simulator never calls itself through the table.
#pragma once

#include "platform/platform.h"

namespace ksr {
namespace sim {
#define KSR_PLATFORM_CALL(type, name, params, args) type name params;
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL
}  // namespace sim
}  // namespace ksr
