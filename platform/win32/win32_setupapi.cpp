// Windows only: forwards the device-installation and registry operations to
// setupapi and advapi32. Nothing but forwarding belongs here.
#include "platform/win32/win32_calls.h"

// Taken before the Windows headers, whose macro of the same name would
// replace it.
static constexpr ksr::DWORD kOwnNoSuchInterfaceDevice = ksr::ERROR_NO_SUCH_INTERFACE_DEVICE;

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>

namespace ksr {

static_assert(sizeof(ksr::SP_DEVINFO_DATA) == sizeof(::SP_DEVINFO_DATA), "SP_DEVINFO_DATA");
static_assert(kOwnNoSuchInterfaceDevice == static_cast<ksr::DWORD>(ERROR_NO_SUCH_INTERFACE_DEVICE),
              "SetupAPI's missing-alias code");
static_assert(offsetof(ksr::SP_DEVINFO_DATA, DevInst) == offsetof(::SP_DEVINFO_DATA, DevInst),
              "DevInst offset");
static_assert(sizeof(ksr::SP_DEVICE_INTERFACE_DATA) == sizeof(::SP_DEVICE_INTERFACE_DATA),
              "SP_DEVICE_INTERFACE_DATA");
static_assert(offsetof(ksr::SP_DEVICE_INTERFACE_DATA, Flags) ==
                  offsetof(::SP_DEVICE_INTERFACE_DATA, Flags),
              "Flags offset");
static_assert(sizeof(ksr::SP_DEVICE_INTERFACE_DETAIL_DATA_A) ==
                  sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_A),
              "SP_DEVICE_INTERFACE_DETAIL_DATA_A");
#if !defined(_WIN64)
// The 32-bit platform packs these to 28, 28 and 5 bytes.
static_assert(sizeof(::SP_DEVINFO_DATA) == 28, "32-bit SP_DEVINFO_DATA");
static_assert(sizeof(::SP_DEVICE_INTERFACE_DATA) == 28, "32-bit SP_DEVICE_INTERFACE_DATA");
static_assert(sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5, "32-bit detail fixed part");
#endif

// The records are copied in and out of the platform's own types rather than
// cast: the layouts match (checked above), the type names do not.
template <typename Native, typename Ours>
static Native ToNative(const Ours* ours) {
  Native native;
  std::memcpy(&native, ours, sizeof native);
  return native;
}

template <typename Native, typename Ours>
static void FromNative(const Native& native, Ours* ours) {
  std::memcpy(ours, &native, sizeof native);
}

static const ::GUID* Native(const GUID* guid) { return reinterpret_cast<const ::GUID*>(guid); }

namespace win32 {

HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
  return ::SetupDiGetClassDevsA(Native(classGuid), enumerator, static_cast<::HWND>(parent), flags);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData) {
  ::SP_DEVINFO_DATA native = ToNative<::SP_DEVINFO_DATA>(deviceInfoData);
  BOOL ok = ::SetupDiEnumDeviceInfo(set, memberIndex, &native);
  FromNative(native, deviceInfoData);
  return ok;
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                       DWORD property, LPDWORD propertyRegDataType,
                                       LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                       LPDWORD requiredSize) {
  ::SP_DEVINFO_DATA native = ToNative<::SP_DEVINFO_DATA>(deviceInfoData);
  return ::SetupDiGetDeviceRegistryPropertyA(set, &native, property, propertyRegDataType,
                                             propertyBuffer, propertyBufferSize, requiredSize);
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) { return ::SetupDiDestroyDeviceInfoList(set); }

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                 const GUID* interfaceClassGuid, DWORD memberIndex,
                                 SP_DEVICE_INTERFACE_DATA* deviceInterfaceData) {
  ::SP_DEVINFO_DATA device = ToNative<::SP_DEVINFO_DATA>(deviceInfoData);
  ::SP_DEVICE_INTERFACE_DATA data = ToNative<::SP_DEVICE_INTERFACE_DATA>(deviceInterfaceData);
  BOOL ok = ::SetupDiEnumDeviceInterfaces(set, &device, Native(interfaceClassGuid), memberIndex,
                                          &data);
  FromNative(data, deviceInterfaceData);
  return ok;
}

BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                                      DWORD detailDataSize, LPDWORD requiredSize,
                                      SP_DEVINFO_DATA* deviceInfoData) {
  ::SP_DEVICE_INTERFACE_DATA data = ToNative<::SP_DEVICE_INTERFACE_DATA>(deviceInterfaceData);
  // The detail block is a byte buffer of detailDataSize bytes; it is handed
  // over as it is, since its size is the caller's and not the structure's.
  BOOL ok = ::SetupDiGetDeviceInterfaceDetailA(
      set, &data, reinterpret_cast<::PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(detailData),
      detailDataSize, requiredSize, reinterpret_cast<::PSP_DEVINFO_DATA>(deviceInfoData));
  return ok;
}

BOOL SetupDiGetDeviceInterfaceAlias(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                    const GUID* aliasInterfaceClassGuid,
                                    SP_DEVICE_INTERFACE_DATA* aliasDeviceInterfaceData) {
  ::SP_DEVICE_INTERFACE_DATA data = ToNative<::SP_DEVICE_INTERFACE_DATA>(deviceInterfaceData);
  ::SP_DEVICE_INTERFACE_DATA alias = ToNative<::SP_DEVICE_INTERFACE_DATA>(aliasDeviceInterfaceData);
  BOOL ok = ::SetupDiGetDeviceInterfaceAlias(set, &data, Native(aliasInterfaceClassGuid), &alias);
  FromNative(alias, aliasDeviceInterfaceData);
  return ok;
}

HKEY SetupDiOpenDeviceInterfaceRegKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      DWORD reserved, REGSAM samDesired) {
  ::SP_DEVICE_INTERFACE_DATA data = ToNative<::SP_DEVICE_INTERFACE_DATA>(deviceInterfaceData);
  return ::SetupDiOpenDeviceInterfaceRegKey(set, &data, reserved, samDesired);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  return ::RegQueryValueExA(static_cast<::HKEY>(key), valueName, reserved, type, data, dataSize);
}

LONG RegCloseKey(HKEY key) { return ::RegCloseKey(static_cast<::HKEY>(key)); }

}  // namespace win32

}  // namespace ksr
