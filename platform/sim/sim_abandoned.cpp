// Requests the program gives up: a request that was cancelled (whether or
// not CancelIoEx succeeded) and waited for without ending may still read its input and write its OVERLAPPED,
// byte count and output, and signal its event. The program may go on
// without it, but only if it leaves all of them as they were until the
// process ends and sends later requests with others.
#include <cstring>

#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

bool Overlaps(const void* a, size_t aLength, const void* b, size_t bLength) {
  if (a == nullptr || b == nullptr || aLength == 0 || bLength == 0) return false;
  const uint8_t* p = static_cast<const uint8_t*>(a);
  const uint8_t* q = static_cast<const uint8_t*>(b);
  return p < q + bLength && q < p + aLength;
}

void CheckIntact(const SimRequest& request) {
  SimWorld& world = World();
  const std::string what = "end of run: a request given up ";
  auto event = world.handles.find(request.event);
  if (event == world.handles.end() || !event->second.open) {
    SimFlag(what + "lost its completion event " + SimHex(request.event));
  }
  const OVERLAPPED& o = *request.overlapped;
  if (reinterpret_cast<uintptr_t>(o.hEvent) != (request.event | 1) || o.Internal != STATUS_PENDING ||
      o.InternalHigh != 0 || o.Offset != 0 || o.OffsetHigh != 0) {
    SimFlag(what + "had its OVERLAPPED changed");
  }
  if (request.count != nullptr && *request.count != request.countAtSend) {
    SimFlag(what + "had its byte count changed");
  }
  if (!request.input.empty() && std::memcmp(request.input.data(), request.inputAt, request.input.size()) != 0) {
    SimFlag(what + "had its input changed");
  }
  if (request.outputBlock != nullptr && world.heapBlocks.count(request.outputBlock) == 0) {
    SimFlag(what + "lost its output buffer");
  }
}

}  // namespace

void SimNoteWait(uintptr_t event) {
  SimWorld& world = World();
  if (world.outstanding && world.outstanding->cancelAsked && world.outstanding->event == event) {
    world.outstanding->waited = true;
  }
}

void SimSettleOutstanding() {
  SimWorld& world = World();
  if (!world.outstanding || !world.outstanding->waited) return;
  world.abandoned.push_back(*world.outstanding);
  world.outstanding.reset();
}

void SimCheckReuse(const SimRequest& request) {
  const std::string op = "DeviceIoControl: ";
  for (const SimRequest& old : World().abandoned) {
    if (Overlaps(request.overlapped, sizeof(OVERLAPPED), old.overlapped, sizeof(OVERLAPPED))) {
      SimFlag(op + "reuses the OVERLAPPED of a request given up");
    }
    if (Overlaps(request.count, sizeof(DWORD), old.count, sizeof(DWORD))) {
      SimFlag(op + "reuses the byte count of a request given up");
    }
    if (Overlaps(request.inputAt, request.input.size(), old.inputAt, old.input.size())) {
      SimFlag(op + "reuses the input of a request given up");
    }
    if (Overlaps(request.output, request.outputLength, old.output, old.outputLength)) {
      SimFlag(op + "reuses the output of a request given up");
    }
    if (request.event == old.event) SimFlag(op + "reuses the event of a request given up");
  }
}

void SimCheckAbandoned() {
  for (const SimRequest& request : World().abandoned) CheckIntact(request);
}

bool SimAbandonedEvent(uintptr_t event) {
  for (const SimRequest& request : World().abandoned) {
    if (request.event == event) return true;
  }
  return false;
}

bool SimAbandonedBlock(const void* block) {
  for (const SimRequest& request : World().abandoned) {
    if (request.outputBlock != nullptr && request.outputBlock == block) return true;
  }
  return false;
}

}  // namespace ksr
