#include "kstream/ks_slots.h"

#include "report/note.h"
#include "platform/platform.h"

namespace ksr {

namespace {

KsRequestSlot gSlots[kKsRequestSlots];
uint32_t gAbandoned = 0;          // slots given up; gSlots[gAbandoned] is in use
HANDLE gGivenUpFilter = nullptr;  // the filter being asked, once it held a request

}  // namespace

KsRequestSlot* KsSlotFor(HANDLE handle) {
  // A filter that held one request is asked nothing more, and a run that
  // gave up every slot asks nothing at all: each give-up costs a full wait.
  if (gAbandoned >= kKsRequestSlots || (gGivenUpFilter != nullptr && handle == gGivenUpFilter)) {
    return nullptr;
  }
  return &gSlots[gAbandoned];
}

bool KsSlotCancel(HANDLE handle, HANDLE event, KsRequestSlot* slot) {
  NoteMake(Note::kPending);
  CancelIoEx(handle, &slot->Overlapped);
  // A driver without a cancel routine never ends a request it holds, and a
  // failed wait tells nothing about the request: either way it is given up.
  if (WaitForSingleObject(event, kKsCancelWaitMs) == WAIT_OBJECT_0) return true;
  ++gAbandoned;
  gGivenUpFilter = handle;
  return false;
}

uint32_t KsRequestsAbandoned() { return gAbandoned; }

void KsRequestFilterBegin() { gGivenUpFilter = nullptr; }

void KsRequestReset() {
  gAbandoned = 0;
  gGivenUpFilter = nullptr;
}

}  // namespace ksr
