// The capture program's platform: every operation the logic calls is
// passed to the platform below unchanged, in the same order and with the
// same arguments, and what came back is recorded. Nothing is asked of the
// platform that the logic does not ask; the logic can't tell it is being
// recorded. The last error is kept as the platform left it after each
// forwarded call, so that recording never changes what the logic sees.
#include "capture/capture_model.h"
#include "platform/below.h"
#include "platform/platform.h"

namespace ksr {

namespace {

DWORD gLastError = 0;

// Runs a forwarded call's result through, keeping the platform's last error.
template <typename T>
T Keep(T result) {
  gLastError = below::GetLastError();
  return result;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return Keep(below::GetModuleFileNameA(module, fileName, size));
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  DWORD length = Keep(below::GetModuleFileNameW(module, fileName, size));
  // A path that filled the buffer was cut: no report is written from it,
  // as none is after a failure.
  CaptureRecordCounted(kCountModuleFileName, length == 0 || length >= size, gLastError);
  return length;
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  HANDLE handle = Keep(below::CreateFileW(fileName, desiredAccess, shareMode, securityAttributes,
                                          creationDisposition, flagsAndAttributes, templateFile));
  // Only the report file is made with the wide call.
  CaptureRecordOpen(nullptr, false, handle, gLastError);
  return handle;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  HANDLE handle = Keep(below::CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                                          creationDisposition, flagsAndAttributes, templateFile));
  CaptureRecordOpen(fileName, creationDisposition == OPEN_EXISTING, handle, gLastError);
  return handle;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
  BOOL ok = Keep(below::WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped));
  CaptureRecordCounted(kCountWriteFile, !ok, gLastError);
  return ok;
}

int lstrlen(LPCSTR text) { return below::lstrlen(text); }

HANDLE CreateEventA(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name) {
  HANDLE event = Keep(below::CreateEventA(eventAttributes, manualReset, initialState, name));
  CaptureRecordCounted(kCountCreateEvent, event == nullptr, gLastError);
  return event;
}

BOOL SetEvent(HANDLE event) {
  BOOL ok = Keep(below::SetEvent(event));
  CaptureRecordCounted(kCountSetEvent, !ok, gLastError);
  return ok;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  DWORD result = Keep(below::WaitForSingleObject(handle, milliseconds));
  CaptureRecordCounted(kCountWait, result == WAIT_FAILED, gLastError);
  if (result == WAIT_OBJECT_0) CaptureRecordWait(handle);
  if (result == WAIT_TIMEOUT) CaptureRecordWaitTimedOut(handle);
  return result;
}

BOOL CloseHandle(HANDLE handle) {
  CaptureRecordClose(handle);
  return Keep(below::CloseHandle(handle));
}

DWORD GetLastError() { return gLastError; }

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return Keep(below::MoveFileExA(existingFileName, newFileName, flags));
}

BOOL DeleteFileA(LPCSTR fileName) { return Keep(below::DeleteFileA(fileName)); }

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     LPOVERLAPPED overlapped) {
  BOOL ok = Keep(below::DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer,
                                        outBufferSize, bytesReturned, overlapped));
  DWORD count = bytesReturned != nullptr ? *bytesReturned : 0;
  CaptureRecordRequest(device, inBuffer, inBufferSize, outBuffer, outBufferSize, ok != FALSE,
                       gLastError, count, overlapped);
  return ok;
}

BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  return Keep(below::CancelIoEx(file, overlapped));
}

HANDLE GetProcessHeap() { return below::GetProcessHeap(); }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  LPVOID block = Keep(below::HeapAlloc(heap, flags, bytes));
  CaptureRecordCounted(kCountHeapAlloc, block == nullptr, gLastError);
  CaptureRecordHeapBlock(bytes, block != nullptr);
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  return Keep(below::HeapFree(heap, flags, block));
}

HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
  HDEVINFO set = Keep(below::SetupDiGetClassDevsA(classGuid, enumerator, parent, flags));
  CaptureRecordDeviceSet(set != INVALID_HANDLE_VALUE);
  return set;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData) {
  BOOL ok = Keep(below::SetupDiEnumDeviceInfo(set, memberIndex, deviceInfoData));
  CaptureRecordDevice(ok != FALSE, deviceInfoData);
  return ok;
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                       DWORD property, LPDWORD propertyRegDataType,
                                       LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                       LPDWORD requiredSize) {
  // The size a refused value needs is what the capture keeps of it.
  DWORD required = 0;
  BOOL ok = Keep(below::SetupDiGetDeviceRegistryPropertyA(
      set, deviceInfoData, property, propertyRegDataType, propertyBuffer, propertyBufferSize,
      requiredSize != nullptr ? requiredSize : &required));
  if (requiredSize != nullptr) required = *requiredSize;
  CaptureRecordProperty(deviceInfoData, property, ok != FALSE, gLastError, propertyBuffer,
                        propertyBufferSize, required);
  return ok;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) { return Keep(below::SetupDiDestroyDeviceInfoList(set)); }

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                 const GUID* interfaceClassGuid, DWORD memberIndex,
                                 SP_DEVICE_INTERFACE_DATA* deviceInterfaceData) {
  BOOL ok = Keep(below::SetupDiEnumDeviceInterfaces(set, deviceInfoData, interfaceClassGuid,
                                                    memberIndex, deviceInterfaceData));
  CaptureRecordInterface(ok != FALSE, deviceInfoData, deviceInterfaceData);
  return ok;
}

BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                                      DWORD detailDataSize, LPDWORD requiredSize,
                                      SP_DEVINFO_DATA* deviceInfoData) {
  DWORD required = 0;
  BOOL ok = Keep(below::SetupDiGetDeviceInterfaceDetailA(
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
  BOOL ok = Keep(below::SetupDiGetDeviceInterfaceAlias(set, deviceInterfaceData,
                                                       aliasInterfaceClassGuid,
                                                       aliasDeviceInterfaceData));
  CaptureRecordAlias(deviceInterfaceData, aliasInterfaceClassGuid, ok != FALSE, gLastError,
                     aliasDeviceInterfaceData != nullptr ? aliasDeviceInterfaceData->Flags : 0);
  return ok;
}

HKEY SetupDiOpenDeviceInterfaceRegKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      DWORD reserved, REGSAM samDesired) {
  HKEY key = Keep(below::SetupDiOpenDeviceInterfaceRegKey(set, deviceInterfaceData, reserved, samDesired));
  CaptureRecordKey(deviceInterfaceData, key, gLastError);
  return key;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  DWORD room = dataSize != nullptr ? *dataSize : 0;
  LONG status = Keep(below::RegQueryValueExA(key, valueName, reserved, type, data, dataSize));
  CaptureRecordValue(key, status, data, room, dataSize != nullptr ? *dataSize : 0);
  return status;
}

LONG RegCloseKey(HKEY key) {
  CaptureRecordClose(key);
  return Keep(below::RegCloseKey(key));
}

}  // namespace ksr
