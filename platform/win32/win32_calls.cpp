// Windows only: the table of the platform's calls, filled by the
// forwarders to Windows.
#include "platform/win32/win32_calls.h"

#include <cstddef>

namespace ksr {

namespace {
namespace entries {
// Every forwarder by its name, except those of win32_files.cpp: declared
// here, these names hide the forwarders of the same name that the using
// directive would otherwise find, and their entries start empty.
using namespace ::ksr::win32;
constexpr std::nullptr_t GetModuleFileNameA = nullptr;
constexpr std::nullptr_t MoveFileExA = nullptr;
constexpr std::nullptr_t DeleteFileA = nullptr;
}  // namespace entries
}  // namespace

PlatformCalls gPlatform = {
#define KSR_PLATFORM_CALL(type, name, params, args) entries::name,
#include "platform/platform_calls.inc"
#undef KSR_PLATFORM_CALL
};

}  // namespace ksr
