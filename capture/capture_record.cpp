#include <cstring>

#include "capture/capture_memory.h"
#include "capture/capture_model.h"

namespace ksr {

CaptureModel gCapture;

namespace {

// The most pin ids one interface keeps; a driver claiming more has its
// later pins left out of the capture.
constexpr uint32_t kCaptureMaxPins = 1u << 16;

// Keeps bytes as an answer's, within the bounds; over them only the count
// stays, and the capture says it was cut.
void Keep(CaptureAnswer* answer, const uint8_t* bytes, uint32_t length) {
  answer->Length = 0;
  answer->Bytes = nullptr;
  if (length == 0) return;
  answer->Bytes = CaptureMemoryKeep(bytes, length);
  if (answer->Bytes != nullptr) {
    answer->Length = length;
    return;
  }
  answer->Cut = true;
  gCapture.Truncated |= length > kCaptureAnswerLimit ? kCaptureAnswerOverBound : kCaptureBytesOverBound;
}

template <typename T>
T* New() {
  T* record = static_cast<T*>(CaptureMemoryAlloc(sizeof(T)));
  if (record == nullptr) gCapture.Truncated |= kCaptureRecordsOverBound;
  return record;
}

CaptureDevice* FindDevice(const SP_DEVINFO_DATA* data) {
  if (data == nullptr) return nullptr;
  for (CaptureDevice* d = gCapture.Devices; d != nullptr; d = d->Next) {
    if (std::memcmp(&d->Data, data, sizeof *data) == 0) return d;
  }
  return nullptr;
}

CaptureInterface* FindInterface(const SP_DEVICE_INTERFACE_DATA* data) {
  if (data == nullptr) return nullptr;
  for (CaptureDevice* d = gCapture.Devices; d != nullptr; d = d->Next) {
    for (CaptureInterface* i = d->Interfaces; i != nullptr; i = i->Next) {
      if (std::memcmp(&i->Data, data, sizeof *data) == 0) return i;
    }
  }
  return nullptr;
}

// The interface whose filter or key handle this is.
CaptureInterface* FindByHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  for (CaptureDevice* d = gCapture.Devices; d != nullptr; d = d->Next) {
    for (CaptureInterface* i = d->Interfaces; i != nullptr; i = i->Next) {
      if (i->Filter == handle || i->OpenKey == handle) return i;
    }
  }
  return nullptr;
}

// The latest interface whose path is this one.
CaptureInterface* FindByPath(const char* path) {
  CaptureInterface* found = nullptr;
  for (CaptureDevice* d = gCapture.Devices; d != nullptr; d = d->Next) {
    for (CaptureInterface* i = d->Interfaces; i != nullptr; i = i->Next) {
      if (i->Path.Outcome == kCaptureDelivered && !i->Path.Cut &&
          std::strlen(path) == i->Path.Length && std::memcmp(path, i->Path.Bytes, i->Path.Length) == 0) {
        found = i;
      }
    }
  }
  return found;
}

void Unplaced() { gCapture.Truncated |= kCaptureUnplaced; }

CapturePin* PinOf(CaptureInterface* iface, uint32_t pinId) {
  if (pinId >= kCaptureMaxPins) {
    gCapture.Truncated |= kCaptureRecordsOverBound;
    return nullptr;
  }
  if (pinId >= iface->PinSlots) {
    uint32_t slots = iface->PinSlots == 0 ? 16 : iface->PinSlots;
    while (slots <= pinId) slots *= 2;
    auto* pins = static_cast<CapturePinSlot*>(
        CaptureMemoryAlloc(static_cast<uint32_t>(static_cast<size_t>(slots) * sizeof(CapturePinSlot))));
    if (pins == nullptr) {
      gCapture.Truncated |= kCaptureRecordsOverBound;
      return nullptr;
    }
    if (iface->PinSlots != 0) {
      std::memcpy(pins, iface->Pins, static_cast<size_t>(iface->PinSlots) * sizeof(CapturePinSlot));
    }
    iface->Pins = pins;
    iface->PinSlots = slots;
  }
  CapturePin*& pin = iface->Pins[pinId].Pin;
  if (pin == nullptr) pin = New<CapturePin>();
  if (pinId + 1 > iface->PinsAsked && pin != nullptr) iface->PinsAsked = pinId + 1;
  return pin;
}

// The answer a request about property of pinId on this interface goes to:
// the first of its two when it was not asked yet, else the second.
CaptureAnswer* RequestSlot(CaptureInterface* iface, uint32_t propertyId, uint32_t pinId) {
  CaptureAnswer* slots = nullptr;
  if (propertyId == KSPROPERTY_PIN_CTYPES) {
    return iface->PinTypes.Outcome == kCaptureNotAsked ? &iface->PinTypes : nullptr;
  }
  if (propertyId >= kCapturePinProperties) return nullptr;
  CapturePin* pin = PinOf(iface, pinId);
  if (pin == nullptr) return nullptr;
  slots = pin->Requests[propertyId];
  if (slots[0].Outcome == kCaptureNotAsked) return &slots[0];
  if (slots[1].Outcome == kCaptureNotAsked) return &slots[1];
  return nullptr;
}

}  // namespace

void CaptureReset() {
  gCapture = CaptureModel();
  CaptureMemoryReset();
}

void CaptureRecordDeviceSet(bool ok) { gCapture.DeviceSet.Outcome = ok ? kCaptureDelivered : kCaptureFailed; }

void CaptureRecordDevice(bool ok, const SP_DEVINFO_DATA* data) {
  if (!ok || data == nullptr) return;
  auto* device = New<CaptureDevice>();
  if (device == nullptr) return;
  device->Data = *data;
  if (gCapture.LastDevice != nullptr) {
    gCapture.LastDevice->Next = device;
  } else {
    gCapture.Devices = device;
  }
  gCapture.LastDevice = device;
}

void CaptureRecordProperty(const SP_DEVINFO_DATA* data, DWORD property, bool ok, DWORD error,
                           const uint8_t* buffer, DWORD bufferSize, DWORD requiredSize) {
  CaptureDevice* device = FindDevice(data);
  uint32_t index = MachineDeviceKeyIndex(property);
  if (device == nullptr || index == kMachineDeviceKeyCount) return Unplaced();
  CaptureAnswer& answer = device->Properties[index];
  if (answer.Outcome != kCaptureNotAsked) return Unplaced();
  if (ok) {
    answer.Outcome = kCaptureDelivered;
    answer.Count = requiredSize;
    Keep(&answer, buffer, buffer == nullptr ? 0 : (requiredSize < bufferSize ? requiredSize : bufferSize));
  } else if (error == ERROR_INSUFFICIENT_BUFFER && requiredSize > bufferSize) {
    answer.Outcome = kCaptureRefused;
    answer.Count = requiredSize;
  } else {
    answer.Outcome = kCaptureFailed;
    answer.Error = error;
  }
}

void CaptureRecordInterface(bool ok, const SP_DEVINFO_DATA* deviceData,
                            const SP_DEVICE_INTERFACE_DATA* data) {
  if (!ok || data == nullptr) return;
  CaptureDevice* device = FindDevice(deviceData);
  if (device == nullptr) return Unplaced();
  auto* iface = New<CaptureInterface>();
  if (iface == nullptr) return;
  iface->Data = *data;
  iface->Flags = data->Flags;
  if (device->LastInterface != nullptr) {
    device->LastInterface->Next = iface;
  } else {
    device->Interfaces = iface;
  }
  device->LastInterface = iface;
}

void CaptureRecordPath(const SP_DEVICE_INTERFACE_DATA* data, bool ok, DWORD error,
                       const uint8_t* detail, DWORD detailSize, DWORD requiredSize) {
  CaptureInterface* iface = FindInterface(data);
  if (iface == nullptr || iface->Path.Outcome != kCaptureNotAsked) return Unplaced();
  CaptureAnswer& path = iface->Path;
  if (ok && detail != nullptr && detailSize > kDetailPathOffset) {
    // The path, up to its NUL or the buffer's end.
    const uint8_t* text = detail + kDetailPathOffset;
    uint32_t room = detailSize - static_cast<uint32_t>(kDetailPathOffset);
    uint32_t length = 0;
    while (length < room && text[length] != 0) ++length;
    path.Outcome = kCaptureDelivered;
    path.Count = length;
    Keep(&path, text, length);
  } else if (!ok && error == ERROR_INSUFFICIENT_BUFFER && requiredSize > detailSize) {
    path.Outcome = kCaptureRefused;
    path.Count = requiredSize - static_cast<uint32_t>(kDetailPathOffset);
  } else {
    path.Outcome = kCaptureFailed;
    path.Error = error;
  }
}

void CaptureRecordAlias(const SP_DEVICE_INTERFACE_DATA* data, const GUID* aliasClass, bool ok,
                        DWORD error, DWORD aliasFlags) {
  CaptureInterface* iface = FindInterface(data);
  if (iface == nullptr || aliasClass == nullptr) return Unplaced();
  CaptureAnswer* alias = GuidEqual(*aliasClass, KSCATEGORY_RENDER)    ? &iface->RenderAlias
                         : GuidEqual(*aliasClass, KSCATEGORY_CAPTURE) ? &iface->CaptureAlias
                                                                       : nullptr;
  if (alias == nullptr || alias->Outcome != kCaptureNotAsked) return Unplaced();
  alias->Outcome = ok ? kCaptureDelivered : kCaptureFailed;
  alias->Count = aliasFlags;
  alias->Error = error;
}

void CaptureRecordOpen(const char* path, bool filter, HANDLE handle, DWORD error) {
  bool opened = handle != INVALID_HANDLE_VALUE;
  if (!filter) {
    // The report file: failures before it is made are replayed as such.
    if (!opened && !gCapture.ReportCreated) ++gCapture.ReportCreateFailures;
    gCapture.ReportCreated |= opened;
    return;
  }
  CaptureInterface* iface = path != nullptr ? FindByPath(path) : nullptr;
  if (iface == nullptr) return Unplaced();
  iface->Opened.Outcome = opened ? kCaptureDelivered : kCaptureFailed;
  iface->Opened.Error = error;
  if (opened) iface->Filter = handle;
}

void CaptureRecordKey(const SP_DEVICE_INTERFACE_DATA* data, HKEY key, DWORD error) {
  CaptureInterface* iface = FindInterface(data);
  if (iface == nullptr || iface->Key.Outcome != kCaptureNotAsked) return Unplaced();
  bool opened = key != INVALID_HANDLE_VALUE;
  iface->Key.Outcome = opened ? kCaptureDelivered : kCaptureFailed;
  iface->Key.Error = error;
  if (opened) iface->OpenKey = key;
}

void CaptureRecordValue(HKEY key, LONG status, const uint8_t* buffer, DWORD bufferSize,
                        DWORD dataSize) {
  CaptureInterface* iface = FindByHandle(key);
  if (iface == nullptr || iface->FriendlyName.Outcome != kCaptureNotAsked) return Unplaced();
  CaptureAnswer& name = iface->FriendlyName;
  name.Error = static_cast<uint32_t>(status);
  name.Count = dataSize;
  // What the caller finds in its buffer: a delivered value's bytes, or,
  // whatever the status, the string the buffer holds up to its NUL.
  uint32_t length = 0;
  if (buffer != nullptr && status == static_cast<LONG>(ERROR_SUCCESS)) {
    length = dataSize < bufferSize ? dataSize : bufferSize;
  } else if (buffer != nullptr) {
    while (length < bufferSize && buffer[length] != 0) ++length;
    if (length < bufferSize && length != 0) ++length;  // its NUL
  }
  name.Outcome = status == static_cast<LONG>(ERROR_SUCCESS) ? kCaptureDelivered : kCaptureFailed;
  Keep(&name, buffer, length);
}

void CaptureRecordClose(HANDLE handle) {
  CaptureInterface* iface = FindByHandle(handle);
  if (iface == nullptr) return;
  if (iface->Filter == handle) iface->Filter = nullptr;
  if (iface->OpenKey == handle) iface->OpenKey = nullptr;
}

void CaptureRecordRequest(HANDLE filter, const void* input, DWORD inputLength,
                          const void* output, DWORD outputLength, bool ok, DWORD error,
                          DWORD count, OVERLAPPED* overlapped) {
  CaptureInterface* iface = FindByHandle(filter);
  if (iface == nullptr || input == nullptr || inputLength < 32) return Unplaced();
  const uint8_t* block = static_cast<const uint8_t*>(input);
  CaptureAnswer* answer = RequestSlot(iface, WireLoadU32(block + 16), WireLoadU32(block + 24));
  if (answer == nullptr) return Unplaced();
  answer->OutputLength = outputLength;
  if (ok) {
    answer->Outcome = kCaptureDelivered;
    answer->Count = count;
    uint32_t length = count < outputLength ? count : outputLength;
    Keep(answer, output != nullptr ? static_cast<const uint8_t*>(output) : nullptr,
         output != nullptr ? length : 0);
  } else if (error == ERROR_MORE_DATA) {
    answer->Outcome = kCaptureRefused;
    answer->Count = count;
  } else if (error == ERROR_IO_PENDING) {
    answer->Outcome = kCapturePending;
    gCapture.Pending = answer;
    gCapture.PendingOverlapped = overlapped;
    gCapture.PendingEvent =
        overlapped != nullptr ? reinterpret_cast<uintptr_t>(overlapped->hEvent) & ~uintptr_t{1} : 0;
  } else {
    answer->Outcome = kCaptureFailed;
    answer->Error = error;
  }
}

// The pending request's answer and OVERLAPPED when event is its completion
// event, which is then no longer pending; null otherwise.
static CaptureAnswer* EndPending(HANDLE event, const OVERLAPPED** overlapped) {
  CaptureAnswer* answer = gCapture.Pending;
  if (answer == nullptr || reinterpret_cast<uintptr_t>(event) != gCapture.PendingEvent) return nullptr;
  *overlapped = gCapture.PendingOverlapped;
  gCapture.Pending = nullptr;
  gCapture.PendingOverlapped = nullptr;
  gCapture.PendingEvent = 0;
  return answer;
}

void CaptureRecordWait(HANDLE event) {
  const OVERLAPPED* overlapped = nullptr;
  CaptureAnswer* answer = EndPending(event, &overlapped);
  if (answer == nullptr) return;
  // The OVERLAPPED holds the request's final state once its event is seen.
  answer->Ended = true;
  answer->EndStatus = static_cast<uint32_t>(overlapped->Internal);
  answer->EndCount = static_cast<uint32_t>(overlapped->InternalHigh);
}

void CaptureRecordWaitTimedOut(HANDLE event) {
  const OVERLAPPED* overlapped = nullptr;
  CaptureAnswer* answer = EndPending(event, &overlapped);
  if (answer != nullptr) answer->GivenUp = true;
}

void CaptureRecordCounted(CaptureCounted op, bool failed, DWORD error) {
  static const char* const kNames[kCountedOps] = {"GetModuleFileNameW", "WriteFile", "CreateEventA",
                                                  "SetEvent", "WaitForSingleObject", "HeapAlloc"};
  uint32_t nth = ++gCapture.Counts[op];
  if (!failed) return;
  auto* failure = New<CaptureFailure>();
  if (failure == nullptr) return;
  failure->Op = kNames[op];
  failure->Nth = nth;
  failure->Error = error;
  if (gCapture.LastFailure != nullptr) {
    gCapture.LastFailure->Next = failure;
  } else {
    gCapture.Failures = failure;
  }
  gCapture.LastFailure = failure;
}

void CaptureRecordHeapBlock(size_t bytes, bool granted) {
  if (granted && bytes > kCaptureReplayHeapLimit) gCapture.Truncated |= kCaptureHeapOverSim;
}

}  // namespace ksr
