// Simulated process, event, heap and file-opening operations.
#include <cstdlib>
#include <cstring>

#include "platform/sim/sim_calls.h"
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

const uintptr_t kProcessHeap = 0x0F00;
const size_t kSimHeapPoison = 256;

HANDLE OpenFilter(LPCSTR fileName, DWORD flags) {
  SimWorld& world = World();
  for (size_t d = 0; d < world.machine.devices.size(); ++d) {
    auto& interfaces = world.machine.devices[d].interfaces;
    for (size_t i = 0; i < interfaces.size(); ++i) {
      if (!interfaces[i].path || *interfaces[i].path != fileName) continue;
      if (!interfaces[i].opens) break;
      if ((flags & FILE_FLAG_OVERLAPPED) == 0) {
        SimFlag("CreateFileA: filter opened without FILE_FLAG_OVERLAPPED");
      }
      SimHandle filter;
      filter.kind = SimKind::kFilter;
      filter.device = static_cast<int>(d);
      filter.iface = static_cast<int>(i);
      return SimNewHandle(filter);
    }
  }
  SimSetLastError(ERROR_PATH_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string SimModuleFileName() {
  SimWorld& world = World();
  if (world.machine.moduleFileName) return *world.machine.moduleFileName;
  return world.outDir + "/" + world.programName;
}

void* SimHeapBlockOf(const void* p) {
  const uint8_t* at = static_cast<const uint8_t*>(p);
  for (const auto& block : World().heapBlocks) {
    const uint8_t* begin = static_cast<const uint8_t*>(block.first);
    if (at >= begin && at < begin + block.second) return block.first;
  }
  return nullptr;
}

// The program-file query in either width: name is the path it answers.
template <typename Char>
static DWORD PlayModuleFileName(const char* op, HMODULE module, Char* fileName, DWORD size,
                                const std::basic_string<Char>& name) {
  SimLog(op, reinterpret_cast<uintptr_t>(module), size);
  if (SimCallFails(op)) return 0;
  if (module != nullptr || size == 0) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SimCheckWrite(fileName, size * sizeof(Char), op);
  // A name that does not fit is cut and terminated; the count is the
  // buffer's size, as on current Windows.
  if (name.size() + 1 > size) {
    std::memcpy(fileName, name.data(), (size - 1) * sizeof(Char));
    fileName[size - 1] = 0;
    SimSetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, name.c_str(), (name.size() + 1) * sizeof(Char));
  return static_cast<DWORD>(name.size());
}

namespace sim {

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return PlayModuleFileName("GetModuleFileNameA", module, fileName, size, SimModuleFileName());
}

static HANDLE PlayCreateFile(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                             SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) {
  (void)securityAttributes;
  (void)templateFile;
  SimLog("CreateFileA", 0, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (SimCallFails("CreateFileA")) return INVALID_HANDLE_VALUE;
  if (fileName == nullptr) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (creationDisposition == CREATE_ALWAYS) return SimCreateFile(fileName);
  if (creationDisposition == OPEN_EXISTING) return OpenFilter(fileName, flagsAndAttributes);
  SimFlag("CreateFileA: unexpected creation disposition " + std::to_string(creationDisposition));
  return INVALID_HANDLE_VALUE;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  HANDLE file = PlayCreateFile(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                               flagsAndAttributes, templateFile);
  SimAnswered(file == INVALID_HANDLE_VALUE);
  return file;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  DWORD length = PlayModuleFileName("GetModuleFileNameW", module, fileName, size, SimWideModuleFileName());
  SimAnswered(length == 0, length);
  return length;
}

static HANDLE PlayCreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                              DWORD creationDisposition, DWORD flagsAndAttributes) {
  SimLog("CreateFileW", 0, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (SimCallFails("CreateFileW")) return INVALID_HANDLE_VALUE;
  if (fileName == nullptr) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // Only the report file is made with the wide call.
  if (creationDisposition != CREATE_ALWAYS) {
    SimFlag("CreateFileW: unexpected creation disposition " + std::to_string(creationDisposition));
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return SimCreateFile(SimUtf8(fileName).c_str());
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
  (void)securityAttributes;
  (void)templateFile;
  HANDLE file = PlayCreateFileW(fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  SimAnswered(file == INVALID_HANDLE_VALUE);
  return file;
}

int lstrlen(LPCSTR text) { return text == nullptr ? 0 : static_cast<int>(std::strlen(text)); }

static HANDLE PlayCreateEvent(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                              LPCSTR name) {
  (void)eventAttributes;
  SimLog("CreateEventA", 0, static_cast<uint32_t>(manualReset), static_cast<uint32_t>(initialState));
  if (manualReset || name != nullptr) SimFlag("CreateEventA: expected an unnamed auto-reset event");
  if (SimCallFails("CreateEventA")) return nullptr;
  SimHandle event;
  event.kind = SimKind::kEvent;
  event.signalled = initialState != FALSE;
  return SimNewHandle(event);
}

HANDLE CreateEventA(SECURITY_ATTRIBUTES* eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name) {
  HANDLE event = PlayCreateEvent(eventAttributes, manualReset, initialState, name);
  SimAnswered(event == nullptr);
  return event;
}

BOOL SetEvent(HANDLE event) {
  SimLog("SetEvent", reinterpret_cast<uintptr_t>(event));
  SimHandle* h = SimUse(event, SimKind::kEvent, "SetEvent");
  if (h == nullptr || SimCallFails("SetEvent")) return FALSE;
  h->signalled = true;
  h->setByProgram = true;
  return TRUE;
}

static DWORD PlayWait(HANDLE handle, DWORD milliseconds) {
  SimLog("WaitForSingleObject", reinterpret_cast<uintptr_t>(handle), milliseconds);
  SimHandle* h = SimUse(handle, SimKind::kEvent, "WaitForSingleObject");
  // A failed wait after a cancel tells the program as little as one that
  // timed out: either way the request may be given up.
  if (h != nullptr) SimNoteWait(reinterpret_cast<uintptr_t>(handle));
  if (h == nullptr || SimCallFails("WaitForSingleObject")) return WAIT_FAILED;
  SimEndCancelledRequest(reinterpret_cast<uintptr_t>(handle));
  if (h->signalled) {
    h->signalled = false;  // auto-reset
    return WAIT_OBJECT_0;
  }
  if (milliseconds == INFINITE) {
    SimFlag("WaitForSingleObject: waits forever on an event that nothing will signal");
    return WAIT_FAILED;
  }
  return WAIT_TIMEOUT;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  DWORD result = PlayWait(handle, milliseconds);
  SimAnswered(result == WAIT_FAILED, result);
  return result;
}

BOOL CloseHandle(HANDLE handle) {
  SimLog("CloseHandle", reinterpret_cast<uintptr_t>(handle));
  SimWorld& world = World();
  auto it = world.handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == world.handles.end() || !it->second.open) {
    SimFlag("CloseHandle: " + SimHex(reinterpret_cast<uintptr_t>(handle)) +
            (it == world.handles.end() ? " is not a handle" : " closed twice"));
    SimSetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SimHandle& h = it->second;
  if (h.kind == SimKind::kKey || h.kind == SimKind::kDeviceSet) {
    SimFlag("CloseHandle: " + SimHex(it->first) + " is not closed with CloseHandle");
    return FALSE;
  }
  SimSettleOutstanding();
  // A filter may be closed after its request was given up; the request's
  // event may not.
  if ((world.outstanding &&
       (world.outstanding->event == it->first || world.outstanding->filter == it->first)) ||
      SimAbandonedEvent(it->first)) {
    SimFlag("CloseHandle: " + SimHex(it->first) + " closed while its request is outstanding");
  }
  if (h.disk != nullptr) {
    std::fclose(h.disk);
    h.disk = nullptr;
  }
  h.open = false;
  return SimCallFails("CloseHandle") ? FALSE : TRUE;
}

DWORD GetLastError() { return World().lastError; }


HANDLE GetProcessHeap() { return reinterpret_cast<HANDLE>(kProcessHeap); }

static LPVOID PlayHeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  SimWorld& world = World();
  SimLog("HeapAlloc", reinterpret_cast<uintptr_t>(heap), static_cast<uint32_t>(bytes), flags);
  if (reinterpret_cast<uintptr_t>(heap) != kProcessHeap) SimFlag("HeapAlloc: not the process heap");
  if (SimCallFails("HeapAlloc")) return nullptr;
  if (bytes > kSimHeapLimit) {
    ++world.heap.refused;
    return nullptr;
  }
  // The block is followed by poisoned bytes, as a real heap's neighbours
  // hold other data: a read past an answer then shows in what it reports.
  void* block = std::malloc(bytes + kSimHeapPoison);
  if (block == nullptr) return nullptr;
  std::memset(block, (flags & HEAP_ZERO_MEMORY) != 0 ? 0 : 0xCD, bytes);
  std::memset(static_cast<uint8_t*>(block) + bytes, 0xCD, kSimHeapPoison);
  world.heapBlocks[block] = bytes;
  ++world.heap.allocations;
  SimGuardRegion(block, static_cast<uint8_t*>(block) + bytes);
  return block;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  LPVOID block = PlayHeapAlloc(heap, flags, bytes);
  SimAnswered(block == nullptr, static_cast<uint32_t>(bytes));
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  (void)flags;
  SimWorld& world = World();
  SimLog("HeapFree", reinterpret_cast<uintptr_t>(heap));
  auto it = world.heapBlocks.find(block);
  if (it == world.heapBlocks.end()) {
    SimFlag("HeapFree: block that is not allocated");
    return FALSE;
  }
  const uint8_t* begin = static_cast<uint8_t*>(block);
  SimSettleOutstanding();
  if ((world.outstanding && world.outstanding->output >= block &&
       static_cast<const uint8_t*>(world.outstanding->output) < begin + it->second) ||
      SimAbandonedBlock(block)) {
    SimFlag("HeapFree: output buffer freed while its request is outstanding");
  }
  auto& guards = world.guards;
  for (size_t i = 0; i < guards.size(); ++i) {
    if (guards[i].first == begin) {
      guards.erase(guards.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  std::free(block);
  world.heapBlocks.erase(it);
  ++world.heap.frees;
  return SimCallFails("HeapFree") ? FALSE : TRUE;
}

}  // namespace sim

}  // namespace ksr
