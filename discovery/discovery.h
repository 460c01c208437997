// The device walk over present devices with kernel-streaming audio
// interfaces, and the choice, opening and naming of their interfaces.
#pragma once

#include "platform/wintypes.h"
#include "store/records.h"

namespace ksr {

// Buffer sizes told to the platform.
constexpr uint32_t kDevicePropertySize = 260;
constexpr uint32_t kDetailBlockSize = 265;
constexpr uint32_t kFriendlyNameSize = 264;

// The device information set, owned by DeviceWalk from its creation to its
// destruction at the end of the walk.
extern HDEVINFO gDeviceInfoSet;

// Writes one device block per enumerated device and runs the interface walk
// under each. Empties the Arena first.
void DeviceWalk();

// Walks the current device's audio interfaces, opening and inspecting those
// with usable flags and a usable render or capture alias.
void InterfaceWalk();

}  // namespace ksr
