// The memory of kernel-streaming requests: a request's input, OVERLAPPED,
// byte count and small output live in a slot, and a request that does not
// end after its cancel is given up with its slot, which is never touched
// again. Kept apart from the requests themselves (ks_request.cpp), which
// only borrow a slot for each request.
#pragma once

#include <cstdint>

#include "kstream/kstream.h"

namespace ksr {

// Small answers (the fixed-size properties) pass through the slot rather
// than the caller's memory, so that a request given up never writes into a
// caller's stack.
constexpr DWORD kKsSlotOutputSize = 16;

struct KsRequestSlot {
  uint8_t Block[kKsRequestSize];
  OVERLAPPED Overlapped;
  DWORD Count;
  uint8_t Output[kKsSlotOutputSize];
};

// The slot for the next request on handle, or null when nothing is to be
// sent: the filter held a request before, or every slot was given up.
KsRequestSlot* KsSlotFor(HANDLE handle);

// Ends the pending request in slot: cancels it and waits kKsCancelWaitMs
// for event. True when it ended; otherwise the slot, the event and the
// output are given up (kept as they are to the end of the process) and the
// filter is asked nothing more.
bool KsSlotCancel(HANDLE handle, HANDLE event, KsRequestSlot* slot);

}  // namespace ksr
