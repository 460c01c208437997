#include <cstring>

#include "discovery/discovery.h"
#include "report/note.h"
#include "kstream/kstream.h"
#include "platform/platform.h"
#include "report/layout.h"
#include "store/arena.h"

namespace ksr {

namespace {

// What one interface needs in the store besides its record: the detail
// block and the friendly name, each with its NUL byte and rounding.
constexpr uint32_t kInterfaceStringsRoom = (kDetailBlockSize + 4) + (kFriendlyNameSize + 4);

// Reads the interface's device path into a detail block at the top and
// keeps it; false when the platform can't deliver the path.
bool ReadDetailBlock(InterfaceRecord* record) {
  char* buffer = ArenaScratchFor(kDetailBlockSize);
  if (buffer == nullptr) return false;
  // The platform checks the fixed part's size as its own build lays it
  // out: 5 bytes on 32-bit Windows, 8 on 64-bit.
  DWORD cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  std::memcpy(buffer, &cbSize, sizeof cbSize);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
  if (!SetupDiGetDeviceInterfaceDetailA(gDeviceInfoSet, &record->InterfaceData, detail,
                                        kDetailBlockSize, nullptr, nullptr)) {
    return false;
  }
  ArenaScratchEnd(buffer, kDetailBlockSize);
  ArenaCommitString(buffer + kDetailPathOffset);
  record->DetailBlock = detail;
  return true;
}

bool InterfaceFlagsUsable(DWORD flags) { return flags != 0 && (flags & SPINT_REMOVED) == 0; }

// The handle, or INVALID_HANDLE_VALUE, is left in DeviceHandle for the
// caller to test.
void InterfaceOpen(InterfaceRecord* record) {
  const char* path = reinterpret_cast<const char*>(record->DetailBlock) + kDetailPathOffset;
  record->DeviceHandle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

void InterfaceClose(InterfaceRecord* record) {
  if (record->DeviceHandle == INVALID_HANDLE_VALUE) return;
  CloseHandle(record->DeviceHandle);
  record->DeviceHandle = INVALID_HANDLE_VALUE;
}

// The status is returned, although the only caller has no use for it.
LONG RegistryReadString(HKEY key, const char* valueName, char* buffer) {
  DWORD type = 0;
  DWORD size = kFriendlyNameSize;
  return RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
}

bool AliasUsable(InterfaceRecord* record, const GUID& aliasClass) {
  record->AliasData.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
  bool usable = SetupDiGetDeviceInterfaceAlias(gDeviceInfoSet, &record->InterfaceData, &aliasClass,
                                               &record->AliasData) &&
                InterfaceFlagsUsable(record->AliasData.Flags);
  NoteMake(GuidEqual(aliasClass, KSCATEGORY_RENDER) ? Note::kInterfaceRenderAlias
                                                    : Note::kInterfaceCaptureAlias,
           usable);
  return usable;
}

void ReadFriendlyName(InterfaceRecord* record, HKEY key) {
  char* buffer = ArenaScratchFor(kFriendlyNameSize);
  if (buffer == nullptr) {
    RegCloseKey(key);
    record->FriendlyName = nullptr;
    return;
  }
  record->FriendlyName = buffer;
  RegistryReadString(key, "FriendlyName", buffer);
  RegCloseKey(key);
  ArenaScratchEnd(buffer, kFriendlyNameSize);
  ArenaCommitString(buffer);
}

// The gates, the Interface line and the pins of one enumerated interface.
// Every path out leaves the filter and the key closed.
void InspectInterface(InterfaceRecord* record) {
  bool flagsUsable = InterfaceFlagsUsable(record->InterfaceData.Flags);
  NoteMake(Note::kInterfaceFlags, flagsUsable);
  if (!flagsUsable) return;
  bool detailRead = ReadDetailBlock(record);
  NoteMake(Note::kInterfaceDetail, detailRead);
  if (!detailRead) return;
  if (!AliasUsable(record, KSCATEGORY_RENDER) && !AliasUsable(record, KSCATEGORY_CAPTURE)) return;
  InterfaceOpen(record);
  bool opened = record->DeviceHandle != INVALID_HANDLE_VALUE;
  NoteMake(Note::kInterfaceOpen, opened);
  if (!opened) return;
  HKEY key = SetupDiOpenDeviceInterfaceRegKey(gDeviceInfoSet, &record->InterfaceData, 0, KEY_READ);
  bool keyOpened = key != INVALID_HANDLE_VALUE;
  NoteMake(Note::kInterfaceKey, keyOpened);
  if (!keyOpened) {
    InterfaceClose(record);
    return;
  }
  ReadFriendlyName(record, key);
  ReportInterfaceLine(record->FriendlyName != nullptr ? record->FriendlyName : "");
  KsInspectPins(record->DeviceHandle, record);
  InterfaceClose(record);
}

}  // namespace

void InterfaceWalk() {
  DeviceRecord* device = gWalk.CurrentDevice;
  gWalk.CurrentInterface = nullptr;
  for (DWORD index = 0;; ++index) {
    InterfaceRecord* record = InterfaceRecordNew();
    // An exhausted store ends this device's interfaces as if the
    // enumeration had ended there.
    if (record == nullptr) {
      NoteMake(Note::kStoreExhausted, kInterfaceRecordSize);
      return;
    }
    // 28 bytes on 32-bit Windows, 32 on 64-bit: the platform refuses others.
    record->InterfaceData.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
    if (!SetupDiEnumDeviceInterfaces(gDeviceInfoSet, &device->DeviceInfoData, &KSCATEGORY_AUDIO,
                                     index, &record->InterfaceData)) {
      break;
    }
    gWalk.CurrentPin = nullptr;
    if (!ArenaHasRoom(kInterfaceStringsRoom)) {
      NoteMake(Note::kStoreExhausted, kInterfaceStringsRoom);
      break;
    }
    InspectInterface(record);
    InterfaceRecordPrune();
  }
  InterfaceRecordPrune();
}

}  // namespace ksr
