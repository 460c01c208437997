// Windows only: the forwarders to Windows, as ksr::win32::X, the entries
// they put in the table of the platform's calls
// (platform/win32/win32_calls.cpp).
#pragma once

#include "platform/platform.h"

namespace ksr {
namespace win32 {
#define KSR_PLATFORM_CALL(type, name, params, args) type name params;
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL
}  // namespace win32

// Puts the forwarders of the file operations that only the capture program
// asks for (platform/win32/win32_files.cpp) in the table, which starts
// without them so that a program that never calls them does not import
// them.
void Win32FileCallsInstall();

}  // namespace ksr
