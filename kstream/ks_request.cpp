#include <cstring>

#include "report/note.h"
#include "kstream/answer_bytes.h"
#include "kstream/ks_slots.h"
#include "kstream/kstream.h"
#include "platform/platform.h"

namespace ksr {

uint32_t KsSyncIoctl(HANDLE handle, DWORD controlCode, void* input, DWORD inputLength,
                     void* output, DWORD outputLength) {
  KsRequestSlot* slot = KsSlotFor(handle);
  if (slot == nullptr) return 0;
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // Without an event there is no way to learn when the request ends, so it
  // is not sent.
  if (event == nullptr) {
    NoteMake(Note::kNoEvent);
    return 0;
  }
  slot->Count = 0;
  std::memset(&slot->Overlapped, 0, sizeof slot->Overlapped);
  // The low bit keeps the completion off any I/O completion port; handles
  // are numbers to the platform, which ignores their low bits otherwise.
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the platform's own tagging
  slot->Overlapped.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(event) | 1);
  bool staged = output != nullptr && outputLength <= kKsSlotOutputSize;
  if (staged) std::memcpy(slot->Output, output, outputLength);
  void* target = staged ? slot->Output : output;
  uint32_t count = 0;
  if (DeviceIoControl(handle, controlCode, input, inputLength, target, outputLength, &slot->Count,
                      &slot->Overlapped)) {
    WaitForSingleObject(event, INFINITE);
    count = slot->Count;
  } else if (GetLastError() != ERROR_IO_PENDING) {
    // Any other failure has ended already. A refusal for size
    // (ERROR_MORE_DATA) is a warning completion: it signals the event, and
    // its count is in the slot. An error does not signal it, so it is never
    // waited on.
    count = slot->Count;
  } else if (!KsSlotCancel(handle, event, slot)) {
    // Given up: the slot, the event and the output stay as they are until
    // the process ends; the property counts as absent.
    return 0;
  }
  if (staged) std::memcpy(output, slot->Output, outputLength);
  NoteMake(Note::kRequestCount, count);
  CloseHandle(event);
  return count;
}

uint32_t KsPinPropertyGet(HANDLE handle, uint32_t pinId, uint32_t propertyId, void* output,
                          uint32_t outputLength) {
  KsRequestSlot* slot = KsSlotFor(handle);
  if (slot == nullptr) return 0;
  uint8_t* block = slot->Block;
  GuidToBytes(KSPROPSETID_Pin, block);
  WireStoreU32(block + 16, propertyId);
  WireStoreU32(block + 20, KSPROPERTY_TYPE_GET);
  WireStoreU32(block + 24, pinId);
  WireStoreU32(block + 28, 0);
  return KsSyncIoctl(handle, IOCTL_KS_PROPERTY, block, kKsRequestSize, output, outputLength);
}

namespace {

// The item count of a list answer of delivered bytes, of which limit are
// in the buffer: false when nothing was delivered, the count can't be read
// or it is 0.
bool ReadItemCount(const uint8_t* buffer, uint32_t delivered, uint32_t limit, uint32_t* count) {
  if (delivered == 0) {
    NoteMake(Note::kNothingDelivered);
    return false;
  }
  if (!KsAnswerReadU32(buffer, limit, 4, count)) return false;
  if (*count == 0) {
    NoteMake(Note::kCountZero);
    return false;
  }
  return true;
}

}  // namespace

bool FetchMultipleItem(HANDLE handle, uint32_t pinId, uint32_t propertyId, KsAnswer* answer) {
  uint32_t size = KsPinPropertyGet(handle, pinId, propertyId, nullptr, 0);
  if (size == 0) {
    NoteMake(Note::kNoSize);
    return false;
  }
  // Zero-filled: a driver may report more bytes than it wrote.
  auto* buffer = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (buffer == nullptr) {
    NoteMake(Note::kNoBuffer, size);
    return false;
  }
  uint32_t abandoned = KsRequestsAbandoned();
  uint32_t delivered = KsPinPropertyGet(handle, pinId, propertyId, buffer, size);
  // A request given up may still write into its buffer: it is never freed.
  if (KsRequestsAbandoned() != abandoned) return false;
  // The count may name more than the buffer holds (the answer grew after the
  // size query, or the driver over-reports): only the buffer is read.
  uint32_t limit = delivered < size ? delivered : size;
  uint32_t count = 0;
  if (!ReadItemCount(buffer, delivered, limit, &count)) {
    HeapFree(GetProcessHeap(), 0, buffer);
    return false;
  }
  answer->Data = buffer;
  answer->Length = limit;
  answer->Count = count;
  return true;
}

void KsAnswerFree(KsAnswer* answer) {
  HeapFree(GetProcessHeap(), 0, answer->Data);
  answer->Data = nullptr;
  answer->Length = 0;
  answer->Count = 0;
}

}  // namespace ksr
