#include "platform/sim/sim_world.h"

#include <cstdlib>
#include <sstream>

namespace ksr {

SimWorld& World() {
  static SimWorld world;
  return world;
}

void SimLog(const char* op, uintptr_t handle, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  SimCall call;
  call.op = op;
  call.handle = handle;
  call.a = a;
  call.b = b;
  call.c = c;
  call.d = d;
  SimWorld& world = World();
  world.calls.push_back(call);
  ++world.callCounts[call.op];
  if (const char* twin = SimNarrowTwin(call.op)) ++world.callCounts[twin];
}

// Machine files name a failing program-path query or file creation by its
// 8-bit form, counted over both forms: the report's path and file are asked
// in UTF-16, the filters opened in 8 bits, and "the nth CreateFileA" is the
// nth creation of either, as it was when both were 8-bit.
const char* SimNarrowTwin(const std::string& op) {
  if (op == "GetModuleFileNameW") return "GetModuleFileNameA";
  if (op == "CreateFileW") return "CreateFileA";
  return nullptr;
}

SimCall& SimThisCall() { return World().calls.back(); }

void SimAnswered(bool failed, uint32_t value) {
  SimCall& call = SimThisCall();
  call.failed = failed;
  call.error = failed ? World().lastError : 0;
  call.value = value;
}

// The operations that can be made to fail; the rest (lstrlen,
// GetLastError, GetProcessHeap) have no failure to give.
static const char* const kFailableOps[] = {
    "GetModuleFileNameA", "CreateFileA", "GetModuleFileNameW", "CreateFileW", "WriteFile", "MoveFileExA", "DeleteFileA", "CreateEventA", "SetEvent",
    "WaitForSingleObject", "CloseHandle", "DeviceIoControl", "CancelIoEx", "HeapAlloc",
    "HeapFree", "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
    "SetupDiGetDeviceRegistryPropertyA", "SetupDiDestroyDeviceInfoList",
    "SetupDiEnumDeviceInterfaces", "SetupDiGetDeviceInterfaceDetailA",
    "SetupDiGetDeviceInterfaceAlias", "SetupDiOpenDeviceInterfaceRegKey", "RegQueryValueExA",
    "RegCloseKey"};

bool SimCanFail(const std::string& op) {
  for (const char* name : kFailableOps) {
    if (op == name) return true;
  }
  return false;
}

bool SimFailCall(const std::string& op, uint32_t nth, DWORD error) {
  if (!SimCanFail(op) || nth == 0) return false;
  SimWorld& world = World();
  SimFailure failure;
  failure.op = op;
  failure.nth = world.callCounts[op] + nth;
  failure.error = error;
  world.failures.push_back(failure);
  return true;
}

static bool SimFailsAs(const std::string& op) {
  SimWorld& world = World();
  auto count = world.callCounts.find(op);
  if (count == world.callCounts.end()) return false;
  for (const SimFailure& failure : world.failures) {
    if (failure.nth == count->second && failure.op == op) {
      SimSetLastError(failure.error);
      return true;
    }
  }
  return false;
}

bool SimCallFails(const char* op) {
  const char* twin = SimNarrowTwin(op);
  return SimFailsAs(op) || (twin != nullptr && SimFailsAs(twin));
}

void SimFlag(const std::string& what) { World().misuse.push_back(what); }

std::string SimHex(uintptr_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

void SimSetLastError(DWORD error) { World().lastError = error; }

HANDLE SimNewHandle(const SimHandle& handle) {
  SimWorld& world = World();
  uintptr_t value = world.nextHandle;
  // Multiples of 8: the low bits stay free, as on Windows, for tags.
  world.nextHandle += 8;
  world.handles[value] = handle;
  return reinterpret_cast<HANDLE>(value);
}

static const char* KindName(SimKind kind) {
  switch (kind) {
    case SimKind::kFile: return "file";
    case SimKind::kEvent: return "event";
    case SimKind::kFilter: return "filter";
    case SimKind::kKey: return "registry key";
    case SimKind::kDeviceSet: return "device set";
  }
  return "handle";
}

SimHandle* SimUse(const void* handle, SimKind kind, const char* op) {
  SimWorld& world = World();
  auto it = world.handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == world.handles.end()) {
    SimFlag(std::string(op) + ": unknown " + KindName(kind) + " " +
            SimHex(reinterpret_cast<uintptr_t>(handle)));
    return nullptr;
  }
  if (it->second.kind != kind) {
    SimFlag(std::string(op) + ": " + KindName(it->second.kind) + " " + SimHex(it->first) +
            " used as a " + KindName(kind));
    return nullptr;
  }
  if (!it->second.open) {
    SimFlag(std::string(op) + ": " + KindName(kind) + " " + SimHex(it->first) +
            " used after it was released");
    return nullptr;
  }
  return &it->second;
}

void SimCheckWrite(const void* p, size_t length, const char* op) {
  const uint8_t* begin = static_cast<const uint8_t*>(p);
  for (const auto& guard : World().guards) {
    bool starts = begin >= guard.first && begin < guard.second;
    if (starts && length > static_cast<size_t>(guard.second - begin)) {
      SimFlag(std::string(op) + ": buffer of " + std::to_string(length) +
              " bytes runs past the end of its memory");
    }
  }
}

void SimCheckNothingOpen(const char* op) {
  for (const auto& entry : World().handles) {
    const SimHandle& h = entry.second;
    if (h.open && (h.kind == SimKind::kFilter || h.kind == SimKind::kKey)) {
      SimFlag(std::string(op) + ": " + KindName(h.kind) + " " + SimHex(entry.first) +
              " still open when the next item is enumerated");
    }
  }
}

bool SimCheckCbSize(DWORD cbSize, size_t expected, const char* record, const char* op) {
  if (cbSize == expected) return true;
  SimFlag(std::string(op) + ": wrong cbSize " + std::to_string(cbSize) + " for " + record +
          " (the platform wants " + std::to_string(expected) + ")");
  SimSetLastError(ERROR_INVALID_USER_BUFFER);
  return false;
}

void SimStart(const SimMachine& machine, const std::string& outDir, bool writeFiles,
              const std::string& programName) {
  SimWorld& world = World();
  for (auto& entry : world.handles) {
    if (entry.second.disk != nullptr) std::fclose(entry.second.disk);
  }
  for (auto& block : world.heapBlocks) std::free(block.first);
  world = SimWorld();
  world.machine = machine;
  world.failures = machine.failCalls;
  world.outDir = outDir;
  world.programName = programName;
  world.writeFiles = writeFiles;
}

void SimFinish() {
  SimWorld& world = World();
  SimSettleOutstanding();
  if (world.outstanding) SimFlag("end of run: a request is still outstanding");
  SimCheckAbandoned();
  for (auto& entry : world.handles) {
    SimHandle& h = entry.second;
    if (h.disk != nullptr) {
      std::fclose(h.disk);
      h.disk = nullptr;
    }
    if (!h.open) continue;
    // The report file and its write lock stay open until the process ends.
    // So are the events of requests given up.
    bool kept = h.kind == SimKind::kFile ||
                (h.kind == SimKind::kEvent && h.setByProgram && !h.usedInRequest) ||
                SimAbandonedEvent(entry.first);
    if (!kept) SimFlag(std::string("end of run: ") + KindName(h.kind) + " " + SimHex(entry.first) + " not released");
  }
  for (const auto& block : world.heapBlocks) {
    if (SimAbandonedBlock(block.first)) continue;
    SimFlag("end of run: heap block of " + std::to_string(block.second) + " bytes not freed");
  }
}

void SimGuardRegion(const void* begin, const void* end) {
  World().guards.emplace_back(static_cast<const uint8_t*>(begin), static_cast<const uint8_t*>(end));
}

const std::vector<std::string>& SimMisuse() { return World().misuse; }
const std::vector<SimCall>& SimCalls() { return World().calls; }
const SimHeapStats& SimHeap() { return World().heap; }

SimDevice* SimDeviceOf(const SP_DEVINFO_DATA* data, const char* op) {
  auto& devices = World().machine.devices;
  if (data == nullptr || data->Reserved == 0 || data->Reserved > devices.size()) {
    SimFlag(std::string(op) + ": device data that the enumeration did not deliver");
    return nullptr;
  }
  return &devices[data->Reserved - 1];
}

bool SimInterfaceOf(const SP_DEVICE_INTERFACE_DATA* data, const char* op, int* device, int* iface) {
  auto& devices = World().machine.devices;
  if (data != nullptr && data->Reserved != 0) {
    uintptr_t code = data->Reserved - 1;
    size_t d = code >> 16;
    size_t i = code & 0xFFFF;
    if (d < devices.size() && i < devices[d].interfaces.size()) {
      *device = static_cast<int>(d);
      *iface = static_cast<int>(i);
      return true;
    }
  }
  SimFlag(std::string(op) + ": interface data that the enumeration did not deliver");
  return false;
}

}  // namespace ksr
