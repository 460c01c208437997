// Simulated kernel-streaming drivers: pin-property GET requests answered
// from the machine, with the platform's delivery rule for overlapped
// device control.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_calls.h"
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

// The filter's answer for one property of one pin; null when absent.
SimAnswer FilterAnswer(const SimInterface& iface, uint32_t propertyId, uint32_t pinId) {
  if (propertyId == KSPROPERTY_PIN_CTYPES) {
    if (iface.pinTypes) return *iface.pinTypes;
    return SimU32(static_cast<uint32_t>(iface.pins.size()));
  }
  if (pinId >= iface.pins.size()) return SimAnswer();
  SimPinField field = SimPinPropertyField(propertyId);
  return field != nullptr ? iface.pins[pinId].*field : SimAnswer();
}

// Checks a request as a strict driver and I/O manager would: a 32-byte
// KSP_PIN GET of the pin property set with Reserved 0, and an OVERLAPPED
// that is zero apart from hEvent, whose low bit keeps the completion off
// any completion port. Each violation is flagged; false when the request
// can't be taken at all.
bool CheckRequest(DWORD ioControlCode, const void* input, DWORD inputLength,
                  const OVERLAPPED* overlapped) {
  const std::string op = "DeviceIoControl: ";
  bool ok = true;
  if (ioControlCode != IOCTL_KS_PROPERTY) {
    SimFlag(op + "control code " + SimHex(ioControlCode) + " is not IOCTL_KS_PROPERTY");
    ok = false;
  }
  if (input == nullptr || inputLength != 32) {
    SimFlag(op + "input of " + std::to_string(inputLength) + " bytes is not a 32-byte KSP_PIN");
    ok = false;
  } else {
    const uint8_t* block = static_cast<const uint8_t*>(input);
    if (!GuidEqualsBytes(KSPROPSETID_Pin, block)) {
      SimFlag(op + "property set is not KSPROPSETID_Pin");
      ok = false;
    }
    if (WireLoadU32(block + 20) != KSPROPERTY_TYPE_GET) {
      SimFlag(op + "Flags " + SimHex(WireLoadU32(block + 20)) + " is not KSPROPERTY_TYPE_GET");
      ok = false;
    }
    if (WireLoadU32(block + 28) != 0) {
      SimFlag(op + "KSP_PIN Reserved is " + SimHex(WireLoadU32(block + 28)) + ", not 0");
    }
    // The pin-type count is the filter's: its descriptor is a bare
    // KSPROPERTY, so a driver never reads PinId. The tool asks it with
    // PinId 0; any other id means the block was not rewritten in full.
    if (WireLoadU32(block + 16) == KSPROPERTY_PIN_CTYPES && WireLoadU32(block + 24) != 0) {
      SimFlag(op + "KSPROPERTY_PIN_CTYPES asked with PinId " + SimHex(WireLoadU32(block + 24)) + ", not 0");
    }
  }
  if (overlapped == nullptr) {
    SimFlag(op + "no OVERLAPPED for a filter opened for overlapped I/O");
    return false;
  }
  if (overlapped->Internal != 0 || overlapped->InternalHigh != 0 || overlapped->Offset != 0 ||
      overlapped->OffsetHigh != 0) {
    SimFlag(op + "OVERLAPPED not zero apart from hEvent");
  }
  if ((reinterpret_cast<uintptr_t>(overlapped->hEvent) & 1) == 0) {
    SimFlag(op + "hEvent without its low bit set: the completion would go to a port");
  }
  return ok;
}

void Signal(uintptr_t event) {
  auto& handles = World().handles;
  auto it = handles.find(event);
  if (it != handles.end()) it->second.signalled = true;
}

bool IsListProperty(uint32_t propertyId) {
  return propertyId == KSPROPERTY_PIN_INTERFACES || propertyId == KSPROPERTY_PIN_MEDIUMS ||
         propertyId == KSPROPERTY_PIN_DATARANGES;
}

// The kernel-streaming library's answer to a list property whose output is
// shorter than the list but not empty: 4 bytes get the header's Size and 8
// the whole header, both as a success; any other length fails with an error
// completion, which leaves the count and the OVERLAPPED as they were and
// signals nothing. Returns the count delivered, or nullopt for the failure.
std::optional<uint32_t> KsShortDelivery(const SimAnswer& answer, void* output, DWORD outputLength) {
  if (outputLength != 4 && outputLength != 8) return std::nullopt;
  uint8_t header[8] = {};
  if (!answer.unread) std::memcpy(header, answer.bytes.data(), std::min<size_t>(8, answer.bytes.size()));
  std::memcpy(output, header, outputLength);
  return outputLength;
}

}  // namespace

bool SimEndCancelledRequest(uintptr_t event) {
  SimWorld& world = World();
  if (!world.outstanding || !world.outstanding->cancelled || world.outstanding->event != event ||
      world.outstanding->ignoresCancel) {
    return false;
  }
  SimRequest request = *world.outstanding;
  world.outstanding.reset();
  request.overlapped->Internal = STATUS_CANCELLED;
  request.overlapped->InternalHigh = 0;
  Signal(request.event);
  return true;
}

namespace sim {

static BOOL PlayIoctl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                      LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                      LPOVERLAPPED overlapped) {
  const char* op = "DeviceIoControl";
  SimWorld& world = World();
  const uint8_t* block = static_cast<const uint8_t*>(inBuffer);
  bool sized = block != nullptr && inBufferSize >= 32;
  uint32_t propertyId = sized ? WireLoadU32(block + 16) : 0;
  uint32_t pinId = sized ? WireLoadU32(block + 24) : 0;
  SimLog(op, reinterpret_cast<uintptr_t>(device), propertyId, pinId, inBufferSize, outBufferSize);
  SimHandle* filter = SimUse(device, SimKind::kFilter, op);
  if (filter == nullptr) {
    SimSetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SimSettleOutstanding();
  if (world.outstanding) SimFlag("DeviceIoControl: sent while another request is outstanding");
  if (!CheckRequest(ioControlCode, inBuffer, inBufferSize, overlapped)) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  uintptr_t event = reinterpret_cast<uintptr_t>(overlapped->hEvent) & ~static_cast<uintptr_t>(1);
  SimHandle* eventHandle = SimUse(reinterpret_cast<HANDLE>(event), SimKind::kEvent, op);
  if (eventHandle == nullptr) {
    SimSetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SimRequest request;
  request.filter = reinterpret_cast<uintptr_t>(device);
  request.event = event;
  request.overlapped = overlapped;
  request.count = bytesReturned;
  request.output = outBuffer;
  request.outputLength = outBufferSize;
  request.inputAt = inBuffer;
  request.input.assign(block, block + inBufferSize);
  SimCheckReuse(request);
  if (SimCallFails(op)) return FALSE;
  eventHandle->usedInRequest = true;
  const auto given = overlapped->Internal;
  overlapped->Internal = STATUS_PENDING;
  SimAnswer answer = FilterAnswer(world.machine.devices[static_cast<size_t>(filter->device)]
                                      .interfaces[static_cast<size_t>(filter->iface)],
                                  propertyId, pinId);
  if (answer.kind == SimAnswer::kAbsent) {
    SimSetLastError(answer.error);
    return FALSE;
  }
  // A request with an output buffer may end otherwise than by the rule.
  const std::optional<SimDataQuery>& dataQuery = answer.dataQuery;
  if (outBufferSize != 0 && dataQuery && !dataQuery->pending) {
    SimSetLastError(dataQuery->error);
    return FALSE;
  }
  if (answer.kind == SimAnswer::kPending || (outBufferSize != 0 && dataQuery && dataQuery->pending)) {
    const std::optional<SimPendingEnd>& ended = answer.kind == SimAnswer::kPending ? answer.ended : dataQuery->ended;
    request.ignoresCancel = ended && ended->ignoresCancel;
    request.countAtSend = bytesReturned != nullptr ? *bytesReturned : 0;
    request.outputBlock = SimHeapBlockOf(outBuffer);
    world.outstanding = request;
    SimSetLastError(ERROR_IO_PENDING);
    return FALSE;
  }
  uint32_t length = answer.Length();
  const SimInterface& iface = world.machine.devices[static_cast<size_t>(filter->device)]
                                  .interfaces[static_cast<size_t>(filter->iface)];
  if (iface.ksShortBuffers && IsListProperty(propertyId) && outBuffer != nullptr && outBufferSize != 0 &&
      outBufferSize < length) {
    SimCheckWrite(outBuffer, outBufferSize, op);
    std::optional<uint32_t> count = KsShortDelivery(answer, outBuffer, outBufferSize);
    if (!count) {
      overlapped->Internal = given;  // an error completion leaves it as the caller gave it
      SimSetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    if (bytesReturned != nullptr) *bytesReturned = *count;
    overlapped->Internal = STATUS_SUCCESS;
    overlapped->InternalHigh = *count;
    Signal(event);
    return TRUE;
  }
  if (outBufferSize == 0 || outBufferSize < length || outBuffer == nullptr) {
    uint32_t needed = outBufferSize == 0 ? answer.sizeQuery.value_or(length) : length;
    if (bytesReturned != nullptr) *bytesReturned = needed;
    overlapped->Internal = STATUS_BUFFER_OVERFLOW;  // a warning: the event is signalled
    overlapped->InternalHigh = needed;
    Signal(event);
    SimSetLastError(ERROR_MORE_DATA);
    return FALSE;
  }
  SimCheckWrite(outBuffer, outBufferSize, op);
  // An answer whose bytes a capture never saw is delivered as zeros.
  if (answer.unread) {
    std::memset(outBuffer, 0, length);
  } else if (length != 0) {
    std::memcpy(outBuffer, answer.bytes.data(), length);
  }
  uint32_t count = answer.reported.value_or(length);
  if (bytesReturned != nullptr) *bytesReturned = count;
  overlapped->Internal = STATUS_SUCCESS;
  overlapped->InternalHigh = count;
  Signal(event);
  return TRUE;
}

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     LPOVERLAPPED overlapped) {
  BOOL ok = PlayIoctl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize, bytesReturned,
                      overlapped);
  DWORD count = bytesReturned != nullptr ? *bytesReturned : 0;
  SimAnswered(!ok, count);
  if (ok && outBuffer != nullptr) {
    const uint8_t* out = static_cast<const uint8_t*>(outBuffer);
    SimThisCall().out.assign(out, out + std::min(count, outBufferSize));
  }
  return ok;
}

static BOOL PlayCancel(HANDLE file, LPOVERLAPPED overlapped) {
  SimWorld& world = World();
  SimLog("CancelIoEx", reinterpret_cast<uintptr_t>(file));
  if (SimUse(file, SimKind::kFilter, "CancelIoEx") == nullptr) return FALSE;
  // Asked, even if the call fails: a request whose cancel failed and whose
  // wait then timed out may be given up as well.
  if (world.outstanding && world.outstanding->filter == reinterpret_cast<uintptr_t>(file)) {
    world.outstanding->cancelAsked = true;
  }
  if (SimCallFails("CancelIoEx")) return FALSE;
  if (!world.outstanding || world.outstanding->cancelled ||
      world.outstanding->filter != reinterpret_cast<uintptr_t>(file) ||
      (overlapped != nullptr && world.outstanding->overlapped != overlapped)) {
    SimSetLastError(ERROR_NOT_FOUND);
    return FALSE;
  }
  // Cancelling only asks: the request ends later, and the program learns of
  // its end by its event (here, when it waits on it).
  world.outstanding->cancelled = true;
  return TRUE;
}

BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  BOOL ok = PlayCancel(file, overlapped);
  SimAnswered(!ok);
  return ok;
}

}  // namespace sim

}  // namespace ksr
