// Windows only: forwards the file operations that only the capture program
// asks for (its own files' 8-bit name, renaming and deleting them) to
// kernel32. In a file of their own so that a program that never calls them
// does not import them. Nothing but forwarding belongs here.
#include "platform/layer.h"
#include "platform/platform.h"

#include <windows.h>

namespace ksr {

KSR_PLATFORM_LAYER_BEGIN

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return ::GetModuleFileNameA(static_cast<::HMODULE>(module), fileName, size);
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return ::MoveFileExA(existingFileName, newFileName, flags);
}

BOOL DeleteFileA(LPCSTR fileName) { return ::DeleteFileA(fileName); }

KSR_PLATFORM_LAYER_END

}  // namespace ksr
