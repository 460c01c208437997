#include "discovery/discovery.h"
#include "report/note.h"
#include "platform/platform.h"
#include "report/layout.h"
#include "store/arena.h"

namespace ksr {

HDEVINFO gDeviceInfoSet = nullptr;

namespace {

// What one device needs in the store besides its record: the three kept
// strings and the scratch for the hardware IDs, each with its NUL byte.
constexpr uint32_t kDeviceStringsRoom = 4 * (kDevicePropertySize + 4);

char gEmpty[1] = {0};

char* ReadDeviceString(DeviceRecord* device, DWORD property, bool keep) {
  char* buffer = ArenaScratchFor(kDevicePropertySize);
  if (buffer == nullptr) return gEmpty;
  DWORD type = 0;
  DWORD required = 0;
  SetupDiGetDeviceRegistryPropertyA(gDeviceInfoSet, &device->DeviceInfoData, property, &type,
                                    reinterpret_cast<BYTE*>(buffer), kDevicePropertySize,
                                    &required);
  ArenaScratchEnd(buffer, kDevicePropertySize);
  if (keep) ArenaCommitString(buffer);
  return buffer;
}

void ReadBusNumber(DeviceRecord* device) {
  DWORD type = 0;
  DWORD required = 0;
  SetupDiGetDeviceRegistryPropertyA(gDeviceInfoSet, &device->DeviceInfoData, SPDRP_BUSNUMBER,
                                    &type, reinterpret_cast<BYTE*>(&device->BusNumber),
                                    sizeof device->BusNumber, &required);
}

// Reads the device's properties and writes its block, in the order the
// report shows them; the hardware IDs are written before they are overwritten.
void DeviceBlock(DeviceRecord* device) {
  device->Description = ReadDeviceString(device, SPDRP_DEVICEDESC, true);
  const char* hardwareIds = ReadDeviceString(device, SPDRP_HARDWAREID, false);
  ReportBlankLine();
  ReportCutLine();
  ReportDevicePathLine(hardwareIds);
  ReadBusNumber(device);
  ReportBusNumberLine(device->BusNumber);
  device->Manufacturer = ReadDeviceString(device, SPDRP_MFG, true);
  device->ServiceName = ReadDeviceString(device, SPDRP_SERVICE, true);
  ReportDescriptionLine(device->Description, device->Manufacturer, device->ServiceName);
  ReportInstanceIdLine(device->DeviceInfoData.DevInst);
}

}  // namespace

void DeviceWalk() {
  ArenaRelease(ArenaStoreStart());
  gWalk.CurrentDevice = nullptr;
  gWalk.CurrentInterface = nullptr;
  gWalk.CurrentPin = nullptr;
  gDeviceInfoSet = SetupDiGetClassDevsA(&KSCATEGORY_AUDIO, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (gDeviceInfoSet == INVALID_HANDLE_VALUE) return;
  for (DWORD index = 0;; ++index) {
    DeviceRecord* device = DeviceRecordNew();
    // An exhausted store ends the walk as if the enumeration had ended;
    // everything kept so far stays linked.
    if (device == nullptr) {
      NoteMake(Note::kStoreExhausted, kDeviceRecordSize);
      break;
    }
    // 28 bytes on 32-bit Windows, 32 on 64-bit: the platform refuses others.
    device->DeviceInfoData.cbSize = sizeof(SP_DEVINFO_DATA);
    if (!SetupDiEnumDeviceInfo(gDeviceInfoSet, index, &device->DeviceInfoData)) {
      DeviceRecordPrune();
      break;
    }
    if (!ArenaHasRoom(kDeviceStringsRoom)) {
      NoteMake(Note::kStoreExhausted, kDeviceStringsRoom);
      DeviceRecordPrune();
      break;
    }
    DeviceBlock(device);
    InterfaceWalk();
    DeviceRecordPrune();
  }
  SetupDiDestroyDeviceInfoList(gDeviceInfoSet);
}

}  // namespace ksr
