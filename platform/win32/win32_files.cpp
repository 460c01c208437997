// Windows only: forwards the file operations that only the capture program
// asks for (its own files' 8-bit name, renaming and deleting them) to
// kernel32. In a file of their own so that a program that never calls them
// does not import them; the capture program puts them in the table of the
// platform's calls (Win32FileCallsInstall).
#include "platform/win32/win32_calls.h"

#include <windows.h>

namespace ksr {

namespace win32 {

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return ::GetModuleFileNameA(static_cast<::HMODULE>(module), fileName, size);
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return ::MoveFileExA(existingFileName, newFileName, flags);
}

BOOL DeleteFileA(LPCSTR fileName) { return ::DeleteFileA(fileName); }

}  // namespace win32

void Win32FileCallsInstall() {
  gPlatform.GetModuleFileNameA = &win32::GetModuleFileNameA;
  gPlatform.MoveFileExA = &win32::MoveFileExA;
  gPlatform.DeleteFileA = &win32::DeleteFileA;
}

}  // namespace ksr
