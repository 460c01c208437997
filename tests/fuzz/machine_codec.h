// A compact byte form of simulated machines for fuzzing: any bytes decode
// to a machine (within bounds that keep one run to milliseconds), and every
// machine within those bounds encodes to bytes that decode back to it, so
// the machine files can seed the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {

constexpr size_t kFuzzMaxDevices = 4;
constexpr size_t kFuzzMaxInterfaces = 4;
constexpr size_t kFuzzMaxPins = 8;
constexpr size_t kFuzzMaxBytes = 4096;       // one property or answer
constexpr size_t kFuzzMaxFailures = 4;       // failing platform calls
constexpr uint32_t kFuzzMaxPinTypes = 16;    // a larger pin count is cut to this
constexpr uint32_t kFuzzMaxSizeQuery = 1u << 16;  // larger lies are cut, unless refused anyway

SimMachine FuzzDecodeMachine(const uint8_t* data, size_t size);
std::vector<uint8_t> FuzzEncodeMachine(const SimMachine& machine);

}  // namespace ksr
