// Every operation that the tool asks of the operating system, declared once
// under the platform's published name and types. Two implementations are
// chosen at link time: platform/win32/ forwards to Windows, platform/sim/
// plays a simulated machine. The logic includes this header only.
#pragma once

#include "platform/wintypes.h"

namespace ksr {

// Process, files and events (kernel32).
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped);
int lstrlen(LPCSTR text);
HANDLE CreateEventA(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name);
BOOL SetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);
DWORD GetLastError();

// Device control on a kernel-streaming filter opened for overlapped I/O.
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     LPOVERLAPPED overlapped);
BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped);

// Process heap, for driver answers of driver-chosen size.
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// Device installation (setupapi), 8-bit forms.
HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags);
BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfoData);
BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                       DWORD property, LPDWORD propertyRegDataType,
                                       LPBYTE propertyBuffer, DWORD propertyBufferSize,
                                       LPDWORD requiredSize);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);
BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* deviceInfoData,
                                 const GUID* interfaceClassGuid, DWORD memberIndex,
                                 SP_DEVICE_INTERFACE_DATA* deviceInterfaceData);
BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detailData,
                                      DWORD detailDataSize, LPDWORD requiredSize,
                                      SP_DEVINFO_DATA* deviceInfoData);
BOOL SetupDiGetDeviceInterfaceAlias(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                    const GUID* aliasInterfaceClassGuid,
                                    SP_DEVICE_INTERFACE_DATA* aliasDeviceInterfaceData);
HKEY SetupDiOpenDeviceInterfaceRegKey(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterfaceData,
                                      DWORD reserved, REGSAM samDesired);

// Registry (advapi32), 8-bit forms.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
LONG RegCloseKey(HKEY key);

}  // namespace ksr
