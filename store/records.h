// The record tree of the walk: devices, their audio interfaces, their pins.
// Records live in the Arena; a record that kept nothing is pruned by
// releasing the Arena to its start, which frees everything made after it.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace ksr {

enum RecordKind : uint32_t { kDeviceKind = 0, kInterfaceKind = 1, kPinKind = 2 };

// A pin's chosen PCM capability; MaxChannels 0 means no usable range.
struct PcmRange {
  uint32_t MaxChannels;
  uint32_t MaxBits;
  uint32_t MinSampleRate;
  uint32_t MaxSampleRate;
};

struct PinRecord {
  PinRecord* Prev;
  PinRecord* Next;
  void* FirstChild;  // pins have no children
  uint32_t Kind;
  uint32_t PinId;
  PcmRange BestRange;
};

struct InterfaceRecord {
  InterfaceRecord* Prev;
  InterfaceRecord* Next;
  PinRecord* FirstChild;
  uint32_t Kind;
  SP_DEVICE_INTERFACE_DATA InterfaceData;
  SP_DEVICE_INTERFACE_DATA AliasData;
  char* FriendlyName;
  SP_DEVICE_INTERFACE_DETAIL_DATA_A* DetailBlock;
  HANDLE DeviceHandle;
  uint32_t PinCount;
};

struct DeviceRecord {
  DeviceRecord* Prev;
  DeviceRecord* Next;
  InterfaceRecord* FirstChild;
  uint32_t Kind;
  SP_DEVINFO_DATA DeviceInfoData;
  char* Description;
  char* Manufacturer;
  char* ServiceName;
  uint32_t BusNumber;
};

// Each record costs a fixed size in the store: 92, 100 and 948 bytes, or,
// where pointers and the platform records are wider, the smallest size that
// holds the fields.
constexpr uint32_t RecordSize(uint32_t usual, size_t fields) {
  return fields > usual ? static_cast<uint32_t>((fields + 3) & ~static_cast<size_t>(3)) : usual;
}
constexpr uint32_t kDeviceRecordSize = RecordSize(92, sizeof(DeviceRecord));
constexpr uint32_t kInterfaceRecordSize = RecordSize(100, sizeof(InterfaceRecord));
constexpr uint32_t kPinRecordSize = RecordSize(948, sizeof(PinRecord));

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(kDeviceRecordSize == 92, "32-bit device record");
static_assert(kInterfaceRecordSize == 100, "32-bit interface record");
static_assert(kPinRecordSize == 948, "32-bit pin record");
#endif

// The current record of each level of the walk.
struct WalkContext {
  DeviceRecord* CurrentDevice;
  InterfaceRecord* CurrentInterface;
  PinRecord* CurrentPin;
};

extern WalkContext gWalk;

// Each New makes a zero-filled record linked after the current one of its
// level (or as the parent's first child) and makes it current; null, with
// nothing linked, when the Arena refuses. Each Prune keeps the current
// record when it kept something and otherwise releases it, with everything
// allocated after it, making its previous sibling current.
DeviceRecord* DeviceRecordNew();
void DeviceRecordPrune();
InterfaceRecord* InterfaceRecordNew();
void InterfaceRecordPrune();
PinRecord* PinRecordNew();
void PinRecordPrune();

}  // namespace ksr
