// Windows only: forwards the file operations that only the capture program
// asks for (renaming and deleting its own files) to kernel32. In a file of
// their own so that a program that never calls them does not import them.
// Nothing but forwarding belongs here.
#include "platform/layer.h"
#include "platform/platform.h"

#include <windows.h>

namespace ksr {

KSR_PLATFORM_LAYER_BEGIN

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return ::MoveFileExA(existingFileName, newFileName, flags);
}

BOOL DeleteFileA(LPCSTR fileName) { return ::DeleteFileA(fileName); }

KSR_PLATFORM_LAYER_END

}  // namespace ksr
