// Simulated device installation and registry: the machine's devices, their
// properties, audio interfaces, aliases and interface keys.
#include <algorithm>
#include <cstring>

#include "platform/machine_keys.h"
#include "platform/sim/sim_calls.h"
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

// The setup class that devices report; its value is never examined.
constexpr GUID kMediaClass = {0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

const std::optional<SimBytes>* DeviceProperty(const SimDevice& device, DWORD property,
                                              DWORD* type) {
  uint32_t at = MachineDeviceKeyIndex(property);
  SimDeviceField field = SimDevicePropertyField(property);
  if (at == kMachineDeviceKeyCount || field == nullptr) return nullptr;
  MachineForm form = kMachineDeviceKeys[at].Form;
  *type = form == kMachineTextList ? REG_MULTI_SZ : form == kMachineNumber ? REG_DWORD : REG_SZ;
  return &(device.*field);
}

SimInterface& InterfaceAt(int device, int iface) {
  return World().machine.devices[static_cast<size_t>(device)].interfaces[static_cast<size_t>(iface)];
}

bool SameText(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
    char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

namespace sim {

static HDEVINFO PlayGetClassDevs(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
  SimLog("SetupDiGetClassDevsA", 0, flags);
  (void)parent;
  if (SimCallFails("SetupDiGetClassDevsA")) return INVALID_HANDLE_VALUE;
  SimWorld& world = World();
  if (!world.machine.deviceSet) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (classGuid == nullptr || !GuidEqual(*classGuid, KSCATEGORY_AUDIO) || enumerator != nullptr ||
      flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
    SimFlag("SetupDiGetClassDevsA: expected the present audio interface class");
  }
  SimHandle set;
  set.kind = SimKind::kDeviceSet;
  return SimNewHandle(set);
}

HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
  HDEVINFO set = PlayGetClassDevs(classGuid, enumerator, parent, flags);
  SimAnswered(set == INVALID_HANDLE_VALUE);
  return set;
}

static BOOL PlayEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData) {
  SimLog("SetupDiEnumDeviceInfo", reinterpret_cast<uintptr_t>(set), memberIndex);
  SimCheckNothingOpen("SetupDiEnumDeviceInfo");
  if (SimUse(set, SimKind::kDeviceSet, "SetupDiEnumDeviceInfo") == nullptr ||
      SimCallFails("SetupDiEnumDeviceInfo")) {
    return FALSE;
  }
  if (!SimCheckCbSize(deviceInfoData->cbSize, sizeof(SP_DEVINFO_DATA), "SP_DEVINFO_DATA",
                      "SetupDiEnumDeviceInfo")) {
    return FALSE;
  }
  auto& devices = World().machine.devices;
  if (memberIndex >= devices.size()) {
    SimSetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  deviceInfoData->ClassGuid = kMediaClass;
  deviceInfoData->DevInst = devices[memberIndex].devInst;
  deviceInfoData->Reserved = memberIndex + 1;
  return TRUE;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData) {
  BOOL ok = PlayEnumDeviceInfo(set, memberIndex, deviceInfoData);
  SimAnswered(!ok, ok ? deviceInfoData->DevInst : 0);
  return ok;
}

static BOOL PlayGetDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                  DWORD property, LPDWORD propertyRegDataType,
                                  LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                  LPDWORD requiredSize) {
  SimLog("SetupDiGetDeviceRegistryPropertyA", reinterpret_cast<uintptr_t>(set), property,
         propertyBufferSize);
  const char* op = "SetupDiGetDeviceRegistryPropertyA";
  if (SimUse(set, SimKind::kDeviceSet, op) == nullptr) return FALSE;
  SimDevice* device = SimDeviceOf(deviceInfoData, op);
  if (device == nullptr || SimCallFails(op)) return FALSE;
  DWORD type = 0;
  const std::optional<SimBytes>* value = DeviceProperty(*device, property, &type);
  if (value == nullptr || !value->has_value()) {
    SimSetLastError(ERROR_INVALID_DATA);  // the device lacks the property
    return FALSE;
  }
  const SimBytes& bytes = **value;
  if (requiredSize != nullptr) *requiredSize = static_cast<DWORD>(bytes.size());
  if (propertyRegDataType != nullptr) *propertyRegDataType = type;
  // A value that does not fit writes nothing.
  if (bytes.size() > propertyBufferSize || propertyBuffer == nullptr) {
    SimSetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  SimCheckWrite(propertyBuffer, propertyBufferSize, op);
  if (!bytes.empty()) std::memcpy(propertyBuffer, bytes.data(), bytes.size());
  return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                       DWORD property, LPDWORD propertyRegDataType,
                                       LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                       LPDWORD requiredSize) {
  BOOL ok = PlayGetDeviceProperty(set, deviceInfoData, property, propertyRegDataType, propertyBuffer,
                                  propertyBufferSize, requiredSize);
  DWORD named = requiredSize != nullptr ? *requiredSize : 0;
  SimAnswered(!ok, named);
  if (ok && propertyBuffer != nullptr) {
    SimThisCall().out.assign(propertyBuffer, propertyBuffer + std::min(named, propertyBufferSize));
  }
  return ok;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  SimLog("SetupDiDestroyDeviceInfoList", reinterpret_cast<uintptr_t>(set));
  SimHandle* h = SimUse(set, SimKind::kDeviceSet, "SetupDiDestroyDeviceInfoList");
  if (h == nullptr) return FALSE;
  h->open = false;
  return SimCallFails("SetupDiDestroyDeviceInfoList") ? FALSE : TRUE;
}

static BOOL PlayEnumInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                               const GUID* interfaceClassGuid, DWORD memberIndex,
                               SP_DEVICE_INTERFACE_DATA* deviceInterfaceData) {
  const char* op = "SetupDiEnumDeviceInterfaces";
  SimLog(op, reinterpret_cast<uintptr_t>(set), memberIndex);
  SimCheckNothingOpen(op);
  if (SimUse(set, SimKind::kDeviceSet, op) == nullptr) return FALSE;
  if (!SimCheckCbSize(deviceInterfaceData->cbSize, sizeof(SP_DEVICE_INTERFACE_DATA),
                      "SP_DEVICE_INTERFACE_DATA", op)) {
    return FALSE;
  }
  SimDevice* device = SimDeviceOf(deviceInfoData, op);
  if (device == nullptr || SimCallFails(op)) return FALSE;
  if (interfaceClassGuid == nullptr || !GuidEqual(*interfaceClassGuid, KSCATEGORY_AUDIO) ||
      memberIndex >= device->interfaces.size()) {
    SimSetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  deviceInterfaceData->InterfaceClassGuid = KSCATEGORY_AUDIO;
  deviceInterfaceData->Flags = device->interfaces[memberIndex].flags;
  deviceInterfaceData->Reserved = ((deviceInfoData->Reserved - 1) << 16 | memberIndex) + 1;
  return TRUE;
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                 const GUID* interfaceClassGuid, DWORD memberIndex,
                                 SP_DEVICE_INTERFACE_DATA* deviceInterfaceData) {
  BOOL ok = PlayEnumInterfaces(set, deviceInfoData, interfaceClassGuid, memberIndex, deviceInterfaceData);
  SimAnswered(!ok, ok ? deviceInterfaceData->Flags : 0);
  return ok;
}

static BOOL PlayGetDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                          DWORD detailDataSize, LPDWORD requiredSize,
                          SP_DEVINFO_DATA* deviceInfoData) {
  const char* op = "SetupDiGetDeviceInterfaceDetailA";
  SimLog(op, reinterpret_cast<uintptr_t>(set), detailDataSize);
  (void)deviceInfoData;
  int d = 0;
  int i = 0;
  if (SimUse(set, SimKind::kDeviceSet, op) == nullptr ||
      !SimInterfaceOf(deviceInterfaceData, op, &d, &i)) {
    return FALSE;
  }
  if (detailData != nullptr &&
      !SimCheckCbSize(detailData->cbSize, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A),
                      "SP_DEVICE_INTERFACE_DETAIL_DATA_A", op)) {
    return FALSE;
  }
  if (SimCallFails(op)) return FALSE;
  const SimInterface& iface = InterfaceAt(d, i);
  if (!iface.path && !iface.pathUnread) {
    SimSetLastError(ERROR_NOT_FOUND);
    return FALSE;
  }
  // A path a capture saw refused for size is that long, NUL included, and
  // reads as zeros.
  size_t length = iface.path ? iface.path->size() + 1 : *iface.pathUnread;
  size_t needed = kDetailPathOffset + length;
  if (requiredSize != nullptr) *requiredSize = static_cast<DWORD>(needed);
  if (detailData == nullptr || needed > detailDataSize) {
    SimSetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  SimCheckWrite(detailData, detailDataSize, op);
  char* out = reinterpret_cast<char*>(detailData) + kDetailPathOffset;
  if (iface.path) {
    std::memcpy(out, iface.path->c_str(), length);
  } else {
    std::memset(out, 0, length);
  }
  return TRUE;
}

BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                                      DWORD detailDataSize, LPDWORD requiredSize,
                                      SP_DEVINFO_DATA* deviceInfoData) {
  BOOL ok = PlayGetDetail(set, deviceInterfaceData, detailData, detailDataSize, requiredSize, deviceInfoData);
  SimAnswered(!ok);
  if (ok) {
    const char* path = reinterpret_cast<const char*>(detailData) + kDetailPathOffset;
    const char* end = path + (detailDataSize - kDetailPathOffset);
    SimThisCall().out.assign(path, std::find(path, end, '\0'));
  }
  return ok;
}

static BOOL PlayGetAlias(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                         const GUID* aliasInterfaceClassGuid,
                         SP_DEVICE_INTERFACE_DATA* aliasDeviceInterfaceData) {
  const char* op = "SetupDiGetDeviceInterfaceAlias";
  SimLog(op, reinterpret_cast<uintptr_t>(set));
  int d = 0;
  int i = 0;
  if (SimUse(set, SimKind::kDeviceSet, op) == nullptr ||
      !SimInterfaceOf(deviceInterfaceData, op, &d, &i)) {
    return FALSE;
  }
  if (!SimCheckCbSize(aliasDeviceInterfaceData->cbSize, sizeof(SP_DEVICE_INTERFACE_DATA),
                      "SP_DEVICE_INTERFACE_DATA", op) ||
      SimCallFails(op)) {
    return FALSE;
  }
  const SimInterface& iface = InterfaceAt(d, i);
  const std::optional<uint32_t>* alias = nullptr;
  DWORD missing = ERROR_NO_SUCH_INTERFACE_DEVICE;
  if (aliasInterfaceClassGuid != nullptr && GuidEqual(*aliasInterfaceClassGuid, KSCATEGORY_RENDER)) {
    alias = &iface.renderAlias;
    missing = iface.renderAliasError;
  } else if (aliasInterfaceClassGuid != nullptr &&
             GuidEqual(*aliasInterfaceClassGuid, KSCATEGORY_CAPTURE)) {
    alias = &iface.captureAlias;
    missing = iface.captureAliasError;
  }
  if (alias == nullptr || !alias->has_value()) {
    SimSetLastError(missing);
    return FALSE;
  }
  aliasDeviceInterfaceData->InterfaceClassGuid = *aliasInterfaceClassGuid;
  aliasDeviceInterfaceData->Flags = **alias;
  aliasDeviceInterfaceData->Reserved = deviceInterfaceData->Reserved;
  return TRUE;
}

BOOL SetupDiGetDeviceInterfaceAlias(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                    const GUID* aliasInterfaceClassGuid,
                                    SP_DEVICE_INTERFACE_DATA* aliasDeviceInterfaceData) {
  BOOL ok = PlayGetAlias(set, deviceInterfaceData, aliasInterfaceClassGuid, aliasDeviceInterfaceData);
  SimAnswered(!ok, ok ? aliasDeviceInterfaceData->Flags : 0);
  if (aliasInterfaceClassGuid != nullptr) {
    SimThisCall().in.resize(16);
    GuidToBytes(*aliasInterfaceClassGuid, SimThisCall().in.data());
  }
  return ok;
}

static HKEY PlayOpenKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                        DWORD reserved, REGSAM samDesired) {
  const char* op = "SetupDiOpenDeviceInterfaceRegKey";
  SimLog(op, reinterpret_cast<uintptr_t>(set), reserved, samDesired);
  int d = 0;
  int i = 0;
  if (SimUse(set, SimKind::kDeviceSet, op) == nullptr ||
      !SimInterfaceOf(deviceInterfaceData, op, &d, &i)) {
    return INVALID_HANDLE_VALUE;
  }
  if (SimCallFails(op)) return INVALID_HANDLE_VALUE;
  if (!InterfaceAt(d, i).registryKey) {
    SimSetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  SimHandle key;
  key.kind = SimKind::kKey;
  key.device = d;
  key.iface = i;
  return SimNewHandle(key);
}

HKEY SetupDiOpenDeviceInterfaceRegKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      DWORD reserved, REGSAM samDesired) {
  HKEY key = PlayOpenKey(set, deviceInterfaceData, reserved, samDesired);
  SimAnswered(key == INVALID_HANDLE_VALUE);
  return key;
}

static LONG PlayQueryValue(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                           LPDWORD dataSize) {
  const char* op = "RegQueryValueExA";
  SimLog(op, reinterpret_cast<uintptr_t>(key), dataSize != nullptr ? *dataSize : 0);
  SimHandle* h = SimUse(key, SimKind::kKey, op);
  if (h == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (SimCallFails(op)) return static_cast<LONG>(World().lastError);
  if (reserved != nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const SimInterface& iface = InterfaceAt(h->device, h->iface);
  const std::optional<SimBytes>& name = iface.friendlyName;
  if (valueName == nullptr || !SameText(valueName, "FriendlyName") || !name) {
    return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  }
  if (type != nullptr) *type = REG_SZ;
  if (dataSize == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  DWORD room = *dataSize;
  *dataSize = static_cast<DWORD>(name->size());
  if (data == nullptr) return static_cast<LONG>(ERROR_SUCCESS);
  SimCheckWrite(data, room, op);
  // A captured read delivers what the buffer held, with the status it had.
  if (iface.friendlyNameError) {
    if (!name->empty()) std::memcpy(data, name->data(), std::min<size_t>(name->size(), room));
    return static_cast<LONG>(*iface.friendlyNameError);
  }
  if (name->size() > room) {
    // The registry leaves the buffer as it was; a careless stack, the
    // machine file's default, fills the whole of it and leaves no NUL.
    if (iface.friendlyNameFill) std::memset(data, 0x41, room);
    return static_cast<LONG>(ERROR_MORE_DATA);
  }
  if (!name->empty()) std::memcpy(data, name->data(), name->size());
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  DWORD room = dataSize != nullptr ? *dataSize : 0;
  LONG status = PlayQueryValue(key, valueName, reserved, type, data, dataSize);
  SimAnswered(status != ERROR_SUCCESS, dataSize != nullptr ? *dataSize : 0);
  SimThisCall().error = static_cast<uint32_t>(status);
  if (data != nullptr) SimThisCall().out.assign(data, data + room);
  return status;
}

LONG RegCloseKey(HKEY key) {
  SimLog("RegCloseKey", reinterpret_cast<uintptr_t>(key));
  SimHandle* h = SimUse(key, SimKind::kKey, "RegCloseKey");
  if (h == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  h->open = false;
  return static_cast<LONG>(SimCallFails("RegCloseKey") ? World().lastError : ERROR_SUCCESS);
}

}  // namespace sim

}  // namespace ksr
