// The simulated machine's running state, shared by the files that play the
// platform calls. Not for the logic, which sees only platform/platform.h.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {

enum class SimKind { kFile, kEvent, kFilter, kKey, kDeviceSet };

struct SimHandle {
  SimKind kind = SimKind::kFile;
  bool open = true;
  bool signalled = false;      // events
  bool setByProgram = false;   // events: signalled by SetEvent (the write lock)
  bool usedInRequest = false;  // events: carried by an OVERLAPPED
  int device = -1;             // filters, keys
  int iface = -1;
  std::string path;            // files
  std::FILE* disk = nullptr;   // files written through to disk
};

struct SimRequest {
  uintptr_t filter = 0;
  uintptr_t event = 0;
  OVERLAPPED* overlapped = nullptr;
  DWORD* count = nullptr;
  void* output = nullptr;
  DWORD outputLength = 0;
  bool cancelled = false;  // cancel asked; it ends when its event is waited on
  bool ignoresCancel = false;  // it never ends, cancelled or not
  bool cancelAsked = false;  // CancelIoEx was called for it, whatever it answered
  bool waited = false;     // a wait on its event came after the cancel
  const void* inputAt = nullptr;  // the input, which the driver may still read
  SimBytes input;          // its bytes as sent
  DWORD countAtSend = 0;   // the byte count as sent
  void* outputBlock = nullptr;  // the heap block holding the output, if any
};

struct SimWorld {
  SimMachine machine;
  std::string outDir;
  std::string programName;  // the program file's name in outDir
  bool writeFiles = false;
  std::map<uintptr_t, SimHandle> handles;
  uintptr_t nextHandle = 0x1000;
  std::vector<SimCall> calls;
  std::vector<std::string> misuse;
  DWORD lastError = 0;
  uint32_t reportCreates = 0;
  std::map<std::string, uint32_t> callCounts;  // per operation, from the run's start
  std::vector<SimFailure> failures;            // nth counted like callCounts
  std::map<std::string, std::string> files;
  std::string outputError;  // a file the run's folder could not take, and why
  std::optional<SimRequest> outstanding;
  // Requests the program gave up after their cancel and a wait that did
  // not end them: their resources must stay as they were to the end.
  std::vector<SimRequest> abandoned;
  std::map<void*, size_t> heapBlocks;
  SimHeapStats heap;
  std::vector<std::pair<const uint8_t*, const uint8_t*>> guards;
};

SimWorld& World();

void SimLog(const char* op, uintptr_t handle = 0, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0,
            uint32_t d = 0);
// Records how the call logged last ended (SimCall's answer fields): failed
// or not, with the last error it left, and the value it gave.
void SimAnswered(bool failed, uint32_t value = 0);
// The log entry of the call logged last.
SimCall& SimThisCall();
// True when the call of op just logged is to fail; its error is then the
// last error.
bool SimCallFails(const char* op);
// The 8-bit operation a wide one also counts as, for failing calls; null
// for the others.
const char* SimNarrowTwin(const std::string& op);
void SimFlag(const std::string& what);
std::string SimHex(uintptr_t value);

HANDLE SimNewHandle(const SimHandle& handle);
// The open handle of the wanted kind, or null after flagging the misuse.
SimHandle* SimUse(const void* handle, SimKind kind, const char* op);
// Flags a platform write of length bytes at p that leaves a guarded region.
void SimCheckWrite(const void* p, size_t length, const char* op);
// Flags filters or keys still open, as before the next enumeration.
void SimCheckNothingOpen(const char* op);

void SimSetLastError(DWORD error);

// Ends the outstanding request if it was cancelled and event is its
// completion event: true when it did. A request that ignores its cancel
// never ends.
bool SimEndCancelledRequest(uintptr_t event);
// Marks the outstanding request as waited for after its cancel when event
// is its completion event.
void SimNoteWait(uintptr_t event);
// An outstanding request that was cancelled and waited for without ending
// is given up by the program: it joins the abandoned ones.
void SimSettleOutstanding();
// Flags a request about to be sent that uses the OVERLAPPED, byte count,
// input, output or event of an abandoned one.
void SimCheckReuse(const SimRequest& request);
// End of run: flags an abandoned request whose resources were changed or
// released.
void SimCheckAbandoned();
// The completion event, or the heap block holding the output, of an
// abandoned request: kept to the end of the process on purpose.
bool SimAbandonedEvent(uintptr_t event);
bool SimAbandonedBlock(const void* block);
// The start of the simulated heap block that holds p, or null.
void* SimHeapBlockOf(const void* p);

// Creates (or truncates) a file the program writes, under the run's folder.
HANDLE SimCreateFile(LPCSTR fileName);
// The program's path as the 8-bit program-file query answers it.
std::string SimModuleFileName();
// A wide path in UTF-8, as the simulated machine keeps its files; a lone
// surrogate becomes the replacement character.
std::string SimUtf8(const char16_t* text);
// The program's path as the wide program-file query answers it: the
// machine's wide path, or the 8-bit one with each byte one character.
std::u16string SimWideModuleFileName();

// Locate the machine's items behind the platform's records.
SimDevice* SimDeviceOf(const SP_DEVINFO_DATA* data, const char* op);
bool SimInterfaceOf(const SP_DEVICE_INTERFACE_DATA* data, const char* op, int* device, int* iface);
bool SimCheckCbSize(DWORD cbSize, size_t expected, const char* record, const char* op);

}  // namespace ksr
