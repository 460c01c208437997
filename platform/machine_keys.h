// The keys of a machine file (docs/machine-file.md) that hold a device's
// properties and a pin's property answers, with the request each one
// answers and how its value is written. The capture program writes them and
// the simulator's loader reads them, so both take them from here: plain
// constants, no simulator, nothing that allocates.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace ksr {

// How a key's value is written. A device property: as text, a list of
// texts or a number when its bytes read as such, else {"hex": ...}. A pin
// property: one answer, or a KSMULTIPLE_ITEM list whose items are
// identifiers (KSIDENTIFIER, KSPIN_MEDIUM) or data ranges.
enum MachineForm : uint8_t {
  kMachineText = 0,  // REG_SZ: "text", its NUL left out
  kMachineTextList,  // REG_MULTI_SZ: ["text", ...]
  kMachineNumber,    // REG_DWORD: N
  kMachineFixed,
  kMachineIdentifierList,
  kMachineRangeList,
};

struct MachineKey {
  const char* Key;
  DWORD Property;  // SPDRP_* of a device, KSPROPERTY_PIN_* of a pin
  MachineForm Form;
};

// The device properties, in the order the report run reads them.
inline constexpr MachineKey kMachineDeviceKeys[] = {
    {"description", SPDRP_DEVICEDESC, kMachineText},
    {"hardwareIds", SPDRP_HARDWAREID, kMachineTextList},
    {"busNumber", SPDRP_BUSNUMBER, kMachineNumber},
    {"manufacturer", SPDRP_MFG, kMachineText},
    {"service", SPDRP_SERVICE, kMachineText}};

// The pin properties a pin of the file answers (the pin count,
// KSPROPERTY_PIN_CTYPES, is the interface's "pinTypes"), in the order a
// capture writes them.
inline constexpr MachineKey kMachinePinKeys[] = {
    {"communication", KSPROPERTY_PIN_COMMUNICATION, kMachineFixed},
    {"globalInstances", KSPROPERTY_PIN_GLOBALCINSTANCES, kMachineFixed},
    {"instances", KSPROPERTY_PIN_CINSTANCES, kMachineFixed},
    {"interfaces", KSPROPERTY_PIN_INTERFACES, kMachineIdentifierList},
    {"mediums", KSPROPERTY_PIN_MEDIUMS, kMachineIdentifierList},
    {"dataflow", KSPROPERTY_PIN_DATAFLOW, kMachineFixed},
    {"dataRanges", KSPROPERTY_PIN_DATARANGES, kMachineRangeList}};

inline constexpr uint32_t kMachineDeviceKeyCount =
    static_cast<uint32_t>(sizeof kMachineDeviceKeys / sizeof kMachineDeviceKeys[0]);
inline constexpr uint32_t kMachinePinKeyCount =
    static_cast<uint32_t>(sizeof kMachinePinKeys / sizeof kMachinePinKeys[0]);

// The place of property in kMachineDeviceKeys; kMachineDeviceKeyCount for
// a property that the run does not read.
constexpr uint32_t MachineDeviceKeyIndex(DWORD property) {
  uint32_t at = 0;
  while (at < kMachineDeviceKeyCount && kMachineDeviceKeys[at].Property != property) ++at;
  return at;
}

}  // namespace ksr
