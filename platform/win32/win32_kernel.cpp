// Windows only: forwards the process, file, event, heap and device-control
// operations to kernel32. Nothing but forwarding belongs here.
#include "platform/win32/win32_calls.h"

#include <windows.h>
#undef lstrlen

#include <cstddef>

namespace ksr {

static_assert(sizeof(ksr::OVERLAPPED) == sizeof(::OVERLAPPED), "OVERLAPPED layout");
static_assert(offsetof(ksr::OVERLAPPED, hEvent) == offsetof(::OVERLAPPED, hEvent), "hEvent offset");
static_assert(sizeof(ksr::DWORD) == sizeof(::DWORD), "DWORD width");
static_assert(sizeof(ksr::WCHAR) == sizeof(::WCHAR), "WCHAR width");

// The tool's OVERLAPPED has the platform's layout; the platform keeps a
// pointer to it while a request is outstanding, so it is passed as it is.
static ::OVERLAPPED* Native(ksr::OVERLAPPED* overlapped) {
  return reinterpret_cast<::OVERLAPPED*>(overlapped);
}

namespace win32 {

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileA(fileName, desiredAccess, shareMode,
                       reinterpret_cast<::LPSECURITY_ATTRIBUTES>(securityAttributes),
                       creationDisposition, flagsAndAttributes, templateFile);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
  return ::WriteFile(file, buffer, bytesToWrite, bytesWritten, Native(overlapped));
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  return ::GetModuleFileNameW(static_cast<::HMODULE>(module), reinterpret_cast<::LPWSTR>(fileName), size);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileW(reinterpret_cast<::LPCWSTR>(fileName), desiredAccess, shareMode,
                       reinterpret_cast<::LPSECURITY_ATTRIBUTES>(securityAttributes),
                       creationDisposition, flagsAndAttributes, templateFile);
}

int lstrlen(LPCSTR text) { return ::lstrlenA(text); }

HANDLE CreateEventA(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name) {
  return ::CreateEventA(reinterpret_cast<::LPSECURITY_ATTRIBUTES>(eventAttributes), manualReset,
                        initialState, name);
}

BOOL SetEvent(HANDLE event) { return ::SetEvent(event); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

BOOL CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

DWORD GetLastError() { return ::GetLastError(); }

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     LPOVERLAPPED overlapped) {
  return ::DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                           bytesReturned, Native(overlapped));
}

BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  return ::CancelIoEx(file, Native(overlapped));
}

HANDLE GetProcessHeap() { return ::GetProcessHeap(); }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  return ::HeapAlloc(heap, flags, bytes);
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) { return ::HeapFree(heap, flags, block); }

}  // namespace win32

}  // namespace ksr
