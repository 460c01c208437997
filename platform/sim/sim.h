// The simulated machine: a device-installation database, a registry,
// kernel-streaming drivers and files, played behind the platform calls. It
// keeps a log of every call and a list of every misuse it saw.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace ksr {

typedef std::vector<uint8_t> SimBytes;

// How a pending request ended on a captured machine, after its cancel and
// its wait: the status and count the platform left in its OVERLAPPED. Kept
// for those who read the capture; a pending answer plays the same without.
// ignoresCancel: it never ends, not even when cancelled, as a driver that
// holds a request without a cancel routine does.
struct SimPendingEnd {
  uint32_t status = 0;
  uint32_t count = 0;
  bool ignoresCancel = false;
};

// How a request with an output buffer ends when it does not follow the
// delivery rule: it fails with error, or is reported pending.
struct SimDataQuery {
  bool pending = false;
  DWORD error = ERROR_NOT_FOUND;
  std::optional<SimPendingEnd> ended;
};

// One property answer: absent, pending, or bytes with optional lies about
// their size.
struct SimAnswer {
  enum Kind { kAbsent, kBytes, kPending };
  Kind kind = kAbsent;
  SimBytes bytes;
  std::optional<uint32_t> unread;     // kBytes: the answer's length, its bytes never seen (zeros)
  std::optional<uint32_t> sizeQuery;  // count for a request without output
  std::optional<uint32_t> reported;   // count on success
  DWORD error = ERROR_NOT_FOUND;      // kAbsent: the request's error
  std::optional<SimPendingEnd> ended;        // kPending: as captured
  std::optional<SimDataQuery> dataQuery;     // kBytes: requests with an output buffer

  uint32_t Length() const { return unread ? *unread : static_cast<uint32_t>(bytes.size()); }
};

struct SimPin {
  SimAnswer communication;
  SimAnswer globalInstances;
  SimAnswer instances;
  SimAnswer interfaces;
  SimAnswer mediums;
  SimAnswer dataflow;
  SimAnswer dataRanges;
};

struct SimInterface {
  uint32_t flags = SPINT_ACTIVE;
  std::optional<std::string> path;       // any bytes
  std::optional<uint32_t> pathUnread;     // no path: the detail read wants this many bytes
  std::optional<uint32_t> renderAlias;
  std::optional<uint32_t> captureAlias;
  // Without an alias in the class, the lookup fails with this error: the
  // platform's own unless a capture recorded another.
  DWORD renderAliasError = ERROR_NO_SUCH_INTERFACE_DEVICE;
  DWORD captureAliasError = ERROR_NO_SUCH_INTERFACE_DEVICE;
  bool opens = true;
  bool registryKey = true;
  std::optional<SimBytes> friendlyName;
  std::optional<DWORD> friendlyNameError;  // the value's read answers this, delivering friendlyName
  // A name longer than the buffer: a machine file fills the buffer with
  // 0x41 bytes and no NUL unless it asks for the registry's own way, which
  // leaves the buffer as it was.
  bool friendlyNameFill = true;
  // Requests for a list property with a short output follow the
  // kernel-streaming library's rules, not the plain delivery rule.
  bool ksShortBuffers = false;
  std::optional<SimAnswer> pinTypes;  // default: the number of pins
  std::vector<SimPin> pins;
};

struct SimDevice {
  uint32_t devInst = 0;
  std::optional<SimBytes> description;
  std::optional<SimBytes> hardwareIds;
  std::optional<SimBytes> busNumber;
  std::optional<SimBytes> manufacturer;
  std::optional<SimBytes> service;
  std::vector<SimInterface> interfaces;
};

// Where a device keeps a device property (SPDRP_*) and a pin its answer to
// a pin property (KSPROPERTY_PIN_*): null for a property they don't hold.
typedef std::optional<SimBytes> SimDevice::*SimDeviceField;
typedef SimAnswer SimPin::*SimPinField;
SimDeviceField SimDevicePropertyField(DWORD property);
SimPinField SimPinPropertyField(DWORD propertyId);

// The nth call of a platform operation fails with error: it ends at once
// and changes nothing, but for the releasing operations (CloseHandle,
// RegCloseKey, HeapFree, SetupDiDestroyDeviceInfoList), which release and
// then report the failure.
struct SimFailure {
  std::string op;
  uint32_t nth = 1;
  DWORD error = ERROR_GEN_FAILURE;
};

// Where a captured machine came from, and why its replay may not be the
// machine (the capture cut what it could not keep).
struct SimCaptureInfo {
  std::string program;
  std::string version;
  std::string arch;
  std::vector<std::string> truncated;
};

struct SimMachine {
  std::optional<SimCaptureInfo> capture;
  bool deviceSet = true;
  std::optional<std::string> moduleFileName;
  // The program's wide path, in UTF-8; by default moduleFileName's bytes,
  // each taken as one character.
  std::optional<std::string> moduleFileNameW;
  uint32_t reportCreateFailures = 0;
  std::vector<SimFailure> failCalls;  // nth counted from the start of the run
  std::vector<SimDevice> devices;
};

// A data range as the machine file describes it: a KSDATARANGE_AUDIO, a
// KSDATARANGE_MUSIC or a plain KSDATARANGE (the 64-byte header alone).
struct SimDataRange {
  enum Kind : uint8_t { kAudio, kMusic, kPlain };
  Kind kind = kAudio;
  uint32_t formatSize = 88;
  uint32_t flags = 0;
  uint32_t sampleSize = 0;
  uint32_t reserved = 0;
  GUID major = KSDATAFORMAT_TYPE_AUDIO;
  GUID sub = KSDATAFORMAT_SUBTYPE_PCM;
  GUID specifier = KSDATAFORMAT_SPECIFIER_WAVEFORMATEX;
  // KSDATARANGE_AUDIO
  uint32_t maxChannels = 0;
  uint32_t minBits = 0;
  uint32_t maxBits = 0;
  uint32_t minRate = 0;
  uint32_t maxRate = 0;
  // KSDATARANGE_MUSIC
  GUID technology = GUID_NULL;
  uint32_t channels = 0;
  uint32_t notes = 0;
  uint32_t channelMask = 0;
};

// One KSATTRIBUTE of an attribute list: Size, Flags and the attribute's
// GUID, then, for an attribute that carries one (the signal-processing
// mode), its value GUID.
struct SimAttribute {
  GUID attribute = GUID_NULL;
  uint32_t flags = 0;
  std::optional<GUID> value;
};

// Builders, shared by the machine-file loader and the tests.
void SimAppendU32(SimBytes* out, uint32_t value);  // little-endian
void SimAppendGuid(SimBytes* out, const GUID& guid);  // as it lies in memory
SimBytes SimString(const std::string& text);  // text and its NUL
SimBytes SimMulti(const std::vector<std::string>& strings);
SimBytes SimU32Bytes(uint32_t value);
SimAnswer SimAbsent();
SimAnswer SimPending();
SimAnswer SimAnswerBytes(const SimBytes& bytes);
SimAnswer SimU32(uint32_t value);
SimAnswer SimU32s(const std::vector<uint32_t>& values);
SimBytes SimIdentifier(const GUID& set, uint32_t id, uint32_t flags);
// The range's fields, padded with zeros to formatSize or cut to it; a
// formatSize above 1024 stands in the field only, the item keeping its own
// length (84 bytes audio, 92 music, 64 plain).
SimBytes SimDataRangeBytes(const SimDataRange& range);
// The defaults of a music range: 96 bytes, KSDATAFORMAT_TYPE_MUSIC,
// KSDATAFORMAT_SUBTYPE_MIDI, KSDATAFORMAT_SPECIFIER_NONE,
// KSMUSIC_TECHNOLOGY_PORT.
SimDataRange SimMusicRange();
// An attribute list, as follows a range flagged KSDATARANGE_ATTRIBUTES: a
// KSMULTIPLE_ITEM of KSATTRIBUTE entries.
SimBytes SimAttributeList(const std::vector<SimAttribute>& attributes);
// A KSMULTIPLE_ITEM: header (Size, Count), then the items back to back;
// with align 8 each item starts on an 8-byte boundary and is padded with
// zeros to one, the padding counted in Size, as the kernel-streaming
// library delivers data ranges.
SimAnswer SimList(const std::vector<SimBytes>& items, std::optional<uint32_t> count = {},
                  std::optional<uint32_t> size = {}, uint32_t align = 1);
SimPin SimDefaultPin();
// A GUID given by its published name or as a literal
// "6994AD04-93EF-11D0-A3CC-00A0C9223196" (either case).
bool SimParseGuid(const std::string& text, GUID* out);
// The published name of a GUID that SimParseGuid knows by name, or null.
const char* SimGuidName(const GUID& guid);
// A PCM range of the standard formats with minimum and maximum bits alike.
SimBytes SimPcmRange(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate);
SimPin SimPcmPin(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate);

// One platform call as the machine saw it, and what it gave back.
struct SimCall {
  std::string op;
  uintptr_t handle = 0;
  uint32_t a = 0;  // DeviceIoControl: property id; enumerations: index; property reads: property
  uint32_t b = 0;  // DeviceIoControl: pin id; property reads: the buffer's size
  uint32_t c = 0;  // DeviceIoControl: input length
  uint32_t d = 0;  // DeviceIoControl: output length
  // The answer, for those who explain a run. failed: the call reported
  // failure, leaving error (the registry's status, for RegQueryValueExA).
  // value: the byte count in the caller's count after DeviceIoControl, the
  // size named by a property or registry read, the Flags of an enumerated
  // interface or alias, the DevInst of an enumerated device, the result of
  // WaitForSingleObject, the size asked of HeapAlloc. in: the alias class
  // asked. out: what the caller's buffer held afterwards, as far as the
  // caller may read it (DeviceIoControl: up to the count; property and
  // detail reads: the value or path delivered; RegQueryValueExA: the buffer).
  bool failed = false;
  uint32_t error = 0;
  uint32_t value = 0;
  SimBytes in;
  SimBytes out;
};

struct SimHeapStats {
  uint64_t allocations = 0;
  uint64_t frees = 0;
  uint64_t refused = 0;
};

// The simulated heap refuses single blocks above this size, as a machine
// without that much memory would.
constexpr size_t kSimHeapLimit = 64u << 20;

// The longest unread value a machine file may hold; it is played as zeros.
constexpr uint32_t kSimUnreadValueLimit = 16u << 20;

// Starts playing machine. The program file is outDir/programName unless
// the machine names another. Files the program creates land under outDir:
// on disk when writeFiles is set, and always in memory (SimFileBytes).
void SimStart(const SimMachine& machine, const std::string& outDir, bool writeFiles,
              const std::string& programName = "ksreport.exe");
// Ends the run: anything still open, outstanding or allocated is misuse.
void SimFinish();
// Makes the nth call of op from now on (1 = the next one) fail with error.
// False, and nothing armed, for an operation that has no way to fail.
bool SimFailCall(const std::string& op, uint32_t nth, DWORD error);
// True for the operations that SimFailCall and failCalls can fail.
bool SimCanFail(const std::string& op);
// Writes by the platform into [begin, end) must stay inside it.
void SimGuardRegion(const void* begin, const void* end);

const std::vector<std::string>& SimMisuse();
const std::vector<SimCall>& SimCalls();
const SimHeapStats& SimHeap();
// The bytes written to a file (after path mapping), or nullopt.
std::optional<std::string> SimFileBytes(const std::string& path);
// Empty, or the first file that could not be written on disk under the
// run's folder (its path and the system's reason): the machine's output
// is then not all there.
const std::string& SimOutputError();

// Reads a machine file. False with a message naming the key on error.
bool SimLoadMachineText(const std::string& text, SimMachine* machine, std::string* error);
bool SimLoadMachineFile(const std::string& path, SimMachine* machine, std::string* error);

}  // namespace ksr
