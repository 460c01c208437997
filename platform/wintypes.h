// The Windows types and constants that the logic uses, with the platform's
// own layouts. Used on every build, Windows included: the logic never sees
// <windows.h>, so the same names can be implemented by the simulated machine
// on any OS. platform/win32/ checks these layouts against the real headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ksr {

#if defined(_WIN32)
typedef unsigned long DWORD;  // 32 bits on Windows; matches the real headers
typedef long LONG;
#else
typedef uint32_t DWORD;
typedef int32_t LONG;
#endif
typedef int BOOL;
typedef uint8_t BYTE;
typedef char CHAR;
typedef uint16_t WORD;
typedef uintptr_t ULONG_PTR;
typedef void* HANDLE;
typedef void* HKEY;
typedef void* HDEVINFO;
typedef void* HMODULE;
typedef void* HWND;
typedef const char* LPCSTR;
typedef char* LPSTR;
// UTF-16 code units, as the wide forms of the platform's calls take them.
typedef char16_t WCHAR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPWSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD REGSAM;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

// SetupAPI packs its records to 1 byte on 32-bit Windows and to 8 on 64-bit.
#if UINTPTR_MAX == 0xFFFFFFFFu
#pragma pack(push, 1)
#else
#pragma pack(push, 8)
#endif
struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};
struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize;
  GUID InterfaceClassGuid;
  DWORD Flags;
  ULONG_PTR Reserved;
};
struct SP_DEVICE_INTERFACE_DETAIL_DATA_A {
  DWORD cbSize;
  CHAR DevicePath[1];
};
#pragma pack(pop)

// The variable-length path starts right after cbSize on every build.
constexpr size_t kDetailPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
static_assert(kDetailPathOffset == 4, "DevicePath follows cbSize");

struct SECURITY_ATTRIBUTES;

struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Files and events.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;
constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD HEAP_ZERO_MEMORY = 0x8;
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;

// Error codes.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_IO_PENDING = 997;
constexpr DWORD ERROR_NOT_FOUND = 1168;
constexpr DWORD ERROR_INVALID_USER_BUFFER = 1784;
// SetupAPI's own code: no alias in the class asked (setupapi.h spells it
// as ERROR_NO_SUCH_DEVICE_INTERFACE, 0x225 among its application errors).
constexpr DWORD ERROR_NO_SUCH_INTERFACE_DEVICE = 0xE0000225u;

// Final states of an overlapped request, as the platform leaves them in
// OVERLAPPED.Internal (NTSTATUS values).
constexpr DWORD STATUS_SUCCESS = 0;
constexpr DWORD STATUS_PENDING = 0x103;
constexpr DWORD STATUS_BUFFER_OVERFLOW = 0x80000005u;
constexpr DWORD STATUS_CANCELLED = 0xC0000120u;

// Registry.
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// SetupAPI.
constexpr DWORD DIGCF_PRESENT = 0x02;
constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;
constexpr DWORD SPDRP_DEVICEDESC = 0x00;
constexpr DWORD SPDRP_HARDWAREID = 0x01;
constexpr DWORD SPDRP_SERVICE = 0x04;
constexpr DWORD SPDRP_MFG = 0x0B;
constexpr DWORD SPDRP_BUSNUMBER = 0x15;
constexpr DWORD SPINT_ACTIVE = 1;
constexpr DWORD SPINT_DEFAULT = 2;
constexpr DWORD SPINT_REMOVED = 4;

// Kernel streaming.
constexpr DWORD IOCTL_KS_PROPERTY = 0x002F0003;
constexpr DWORD KSPROPERTY_TYPE_GET = 1;
constexpr DWORD KSPROPERTY_PIN_CINSTANCES = 0;
constexpr DWORD KSPROPERTY_PIN_CTYPES = 1;
constexpr DWORD KSPROPERTY_PIN_DATAFLOW = 2;
constexpr DWORD KSPROPERTY_PIN_DATARANGES = 3;
constexpr DWORD KSPROPERTY_PIN_INTERFACES = 5;
constexpr DWORD KSPROPERTY_PIN_MEDIUMS = 6;
constexpr DWORD KSPROPERTY_PIN_COMMUNICATION = 7;
constexpr DWORD KSPROPERTY_PIN_GLOBALCINSTANCES = 8;

inline constexpr GUID KSCATEGORY_AUDIO = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr GUID KSCATEGORY_RENDER = {0x65E8773E, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr GUID KSCATEGORY_CAPTURE = {0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr GUID KSPROPSETID_Pin = {0x8C134960, 0x51AD, 0x11CF, {0x87, 0x8A, 0x94, 0xF8, 0x01, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSINTERFACESETID_Standard = {0x1A8766A0, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSMEDIUMSETID_Standard = {0x4747B320, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSDATAFORMAT_TYPE_AUDIO = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID KSDATAFORMAT_SUBTYPE_PCM = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID KSDATAFORMAT_SUBTYPE_WILDCARD = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID KSDATAFORMAT_SPECIFIER_WAVEFORMATEX = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// A 32-bit number as it lies in driver answers and platform records:
// little-endian, whatever the byte order of the machine reading it.
inline uint32_t WireLoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void WireStoreU32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}

// A GUID as it lies in memory and in driver answers: Data1..Data3
// little-endian, then Data4 as it stands.
void GuidToBytes(const GUID& guid, uint8_t out[16]);
inline GUID GuidFromBytes(const uint8_t bytes[16]) {
  GUID guid{};
  guid.Data1 = WireLoadU32(bytes);
  guid.Data2 = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
  guid.Data3 = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
  return guid;
}
bool GuidEqualsBytes(const GUID& guid, const uint8_t* bytes);
bool GuidEqual(const GUID& a, const GUID& b);

}  // namespace ksr
