// Generated machines for measuring the walk: a scale of N has N times the
// pins of scale 1, each pin with the same ranges, so that the work in pins
// times ranges grows N times.
#pragma once

#include "platform/sim/sim.h"

namespace ksr {

constexpr int kBenchPinsPerScale = 64;
constexpr int kBenchRangesPerPin = 16;

enum class BenchPin { kNormal, kZeroStepHugeCount, kFourByteStepHugeCount, kOverReported };

// Four devices, each with two interfaces sharing the pins.
SimMachine BenchMachine(int scale, BenchPin kind = BenchPin::kNormal);

}  // namespace ksr
