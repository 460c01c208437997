// The capture program's platform layer: its entries of the table of the
// platform's calls stand in for the platform's own, which it saved. Every
// operation the logic calls is passed to the saved entry unchanged, in the
// same order and with the same arguments, and what came back is recorded. Nothing is asked of the
// platform that the logic does not ask; the logic can't tell it is being
// recorded. The last error is kept as the platform left it after each
// forwarded call, so that recording never changes what the logic sees.
#include "capture/capture_layer.h"

#include "capture/capture_model.h"
#include "platform/platform.h"

namespace ksr {

namespace {

// The platform's own entries, as they were before the layer went in.
PlatformCalls gBelow;
bool gInstalled = false;
DWORD gLastError = 0;

// Runs a forwarded call's result through, keeping the platform's last error.
template <typename T>
T Keep(T result) {
  gLastError = gBelow.GetLastError();
  return result;
}

}  // namespace

namespace recorded {

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return Keep(gBelow.GetModuleFileNameA(module, fileName, size));
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  DWORD length = Keep(gBelow.GetModuleFileNameW(module, fileName, size));
  // A path that filled the buffer was cut: no report is written from it,
  // as none is after a failure.
  CaptureRecordCounted(kCountModuleFileName, length == 0 || length >= size, gLastError);
  return length;
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  HANDLE handle = Keep(gBelow.CreateFileW(fileName, desiredAccess, shareMode, securityAttributes,
                                          creationDisposition, flagsAndAttributes, templateFile));
  // Only the report file is made with the wide call.
  CaptureRecordOpen(nullptr, false, handle, gLastError);
  return handle;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  HANDLE handle = Keep(gBelow.CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                                          creationDisposition, flagsAndAttributes, templateFile));
  CaptureRecordOpen(fileName, creationDisposition == OPEN_EXISTING, handle, gLastError);
  return handle;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
  BOOL ok = Keep(gBelow.WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped));
  CaptureRecordCounted(kCountWriteFile, !ok, gLastError);
  return ok;
}

HANDLE CreateEventA(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name) {
  HANDLE event = Keep(gBelow.CreateEventA(eventAttributes, manualReset, initialState, name));
  CaptureRecordCounted(kCountCreateEvent, event == nullptr, gLastError);
  return event;
}

BOOL SetEvent(HANDLE event) {
  BOOL ok = Keep(gBelow.SetEvent(event));
  CaptureRecordCounted(kCountSetEvent, !ok, gLastError);
  return ok;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  DWORD result = Keep(gBelow.WaitForSingleObject(handle, milliseconds));
  CaptureRecordCounted(kCountWait, result == WAIT_FAILED, gLastError);
  if (result == WAIT_OBJECT_0) CaptureRecordWait(handle);
  if (result == WAIT_TIMEOUT) CaptureRecordWaitTimedOut(handle);
  return result;
}

BOOL CloseHandle(HANDLE handle) {
  CaptureRecordClose(handle);
  return Keep(gBelow.CloseHandle(handle));
}

DWORD GetLastError() { return gLastError; }

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return Keep(gBelow.MoveFileExA(existingFileName, newFileName, flags));
}

BOOL DeleteFileA(LPCSTR fileName) { return Keep(gBelow.DeleteFileA(fileName)); }

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     LPOVERLAPPED overlapped) {
  BOOL ok = Keep(gBelow.DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer,
                                        outBufferSize, bytesReturned, overlapped));
  DWORD count = bytesReturned != nullptr ? *bytesReturned : 0;
  CaptureRecordRequest(device, inBuffer, inBufferSize, outBuffer, outBufferSize, ok != FALSE,
                       gLastError, count, overlapped);
  return ok;
}

BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  return Keep(gBelow.CancelIoEx(file, overlapped));
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  LPVOID block = Keep(gBelow.HeapAlloc(heap, flags, bytes));
  CaptureRecordCounted(kCountHeapAlloc, block == nullptr, gLastError);
  CaptureRecordHeapBlock(bytes, block != nullptr);
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  return Keep(gBelow.HeapFree(heap, flags, block));
}

HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
  HDEVINFO set = Keep(gBelow.SetupDiGetClassDevsA(classGuid, enumerator, parent, flags));
  CaptureRecordDeviceSet(set != INVALID_HANDLE_VALUE);
  return set;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData) {
  BOOL ok = Keep(gBelow.SetupDiEnumDeviceInfo(set, memberIndex, deviceInfoData));
  CaptureRecordDevice(ok != FALSE, deviceInfoData);
  return ok;
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                       DWORD property, LPDWORD propertyRegDataType,
                                       LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                       LPDWORD requiredSize) {
  // The size a refused value needs is what the capture keeps of it.
  DWORD required = 0;
  BOOL ok = Keep(gBelow.SetupDiGetDeviceRegistryPropertyA(
      set, deviceInfoData, property, propertyRegDataType, propertyBuffer, propertyBufferSize,
      requiredSize != nullptr ? requiredSize : &required));
  if (requiredSize != nullptr) required = *requiredSize;
  CaptureRecordProperty(deviceInfoData, property, ok != FALSE, gLastError, propertyBuffer,
                        propertyBufferSize, required);
  return ok;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) { return Keep(gBelow.SetupDiDestroyDeviceInfoList(set)); }

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                 const GUID* interfaceClassGuid, DWORD memberIndex,
                                 SP_DEVICE_INTERFACE_DATA* deviceInterfaceData) {
  BOOL ok = Keep(gBelow.SetupDiEnumDeviceInterfaces(set, deviceInfoData, interfaceClassGuid,
                                                    memberIndex, deviceInterfaceData));
  CaptureRecordInterface(ok != FALSE, deviceInfoData, deviceInterfaceData);
  return ok;
}

BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                                      DWORD detailDataSize, LPDWORD requiredSize,
                                      SP_DEVINFO_DATA* deviceInfoData) {
  DWORD required = 0;
  BOOL ok = Keep(gBelow.SetupDiGetDeviceInterfaceDetailA(
      set, deviceInterfaceData, detailData, detailDataSize,
      requiredSize != nullptr ? requiredSize : &required, deviceInfoData));
  if (requiredSize != nullptr) required = *requiredSize;
  CaptureRecordPath(deviceInterfaceData, ok != FALSE, gLastError,
                    reinterpret_cast<const uint8_t*>(detailData), detailDataSize, required);
  return ok;
}

BOOL SetupDiGetDeviceInterfaceAlias(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                    const GUID* aliasInterfaceClassGuid,
                                    SP_DEVICE_INTERFACE_DATA* aliasDeviceInterfaceData) {
  BOOL ok = Keep(gBelow.SetupDiGetDeviceInterfaceAlias(set, deviceInterfaceData,
                                                       aliasInterfaceClassGuid,
                                                       aliasDeviceInterfaceData));
  CaptureRecordAlias(deviceInterfaceData, aliasInterfaceClassGuid, ok != FALSE, gLastError,
                     aliasDeviceInterfaceData != nullptr ? aliasDeviceInterfaceData->Flags : 0);
  return ok;
}

HKEY SetupDiOpenDeviceInterfaceRegKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      DWORD reserved, REGSAM samDesired) {
  HKEY key = Keep(gBelow.SetupDiOpenDeviceInterfaceRegKey(set, deviceInterfaceData, reserved, samDesired));
  CaptureRecordKey(deviceInterfaceData, key, gLastError);
  return key;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  DWORD room = dataSize != nullptr ? *dataSize : 0;
  LONG status = Keep(gBelow.RegQueryValueExA(key, valueName, reserved, type, data, dataSize));
  CaptureRecordValue(key, status, data, room, dataSize != nullptr ? *dataSize : 0);
  return status;
}

LONG RegCloseKey(HKEY key) {
  CaptureRecordClose(key);
  return Keep(gBelow.RegCloseKey(key));
}

}  // namespace recorded

const PlatformCalls& CaptureBelow() { return gInstalled ? gBelow : gPlatform; }

void CaptureLayerInstall() {
  if (gInstalled) return;
  gInstalled = true;
  gBelow = gPlatform;
  gLastError = 0;
  // lstrlen and GetProcessHeap answer nothing worth keeping and leave the
  // last error alone: the saved entries stay.
  gPlatform.GetModuleFileNameA = &recorded::GetModuleFileNameA;
  gPlatform.GetModuleFileNameW = &recorded::GetModuleFileNameW;
  gPlatform.CreateFileW = &recorded::CreateFileW;
  gPlatform.CreateFileA = &recorded::CreateFileA;
  gPlatform.WriteFile = &recorded::WriteFile;
  gPlatform.CreateEventA = &recorded::CreateEventA;
  gPlatform.SetEvent = &recorded::SetEvent;
  gPlatform.WaitForSingleObject = &recorded::WaitForSingleObject;
  gPlatform.CloseHandle = &recorded::CloseHandle;
  gPlatform.GetLastError = &recorded::GetLastError;
  gPlatform.MoveFileExA = &recorded::MoveFileExA;
  gPlatform.DeleteFileA = &recorded::DeleteFileA;
  gPlatform.DeviceIoControl = &recorded::DeviceIoControl;
  gPlatform.CancelIoEx = &recorded::CancelIoEx;
  gPlatform.HeapAlloc = &recorded::HeapAlloc;
  gPlatform.HeapFree = &recorded::HeapFree;
  gPlatform.SetupDiGetClassDevsA = &recorded::SetupDiGetClassDevsA;
  gPlatform.SetupDiEnumDeviceInfo = &recorded::SetupDiEnumDeviceInfo;
  gPlatform.SetupDiGetDeviceRegistryPropertyA = &recorded::SetupDiGetDeviceRegistryPropertyA;
  gPlatform.SetupDiDestroyDeviceInfoList = &recorded::SetupDiDestroyDeviceInfoList;
  gPlatform.SetupDiEnumDeviceInterfaces = &recorded::SetupDiEnumDeviceInterfaces;
  gPlatform.SetupDiGetDeviceInterfaceDetailA = &recorded::SetupDiGetDeviceInterfaceDetailA;
  gPlatform.SetupDiGetDeviceInterfaceAlias = &recorded::SetupDiGetDeviceInterfaceAlias;
  gPlatform.SetupDiOpenDeviceInterfaceRegKey = &recorded::SetupDiOpenDeviceInterfaceRegKey;
  gPlatform.RegQueryValueExA = &recorded::RegQueryValueExA;
  gPlatform.RegCloseKey = &recorded::RegCloseKey;
}

}  // namespace ksr
