#include "store/records.h"

#include "report/note.h"
#include "store/arena.h"

namespace ksr {

WalkContext gWalk;

namespace {

// Links a fresh record after `current`, or under `parentFirstChild` when it
// is the first of its list.
template <typename Record, typename ParentSlot>
Record* RecordNew(Record*& current, uint32_t size, RecordKind kind, ParentSlot* parentFirstChild) {
  Record* record = static_cast<Record*>(ArenaAlloc(size));
  if (record == nullptr) return nullptr;
  record->Kind = kind;
  record->Prev = current;
  if (current != nullptr) {
    current->Next = record;
  } else if (parentFirstChild != nullptr) {
    *parentFirstChild = record;
  }
  current = record;
  return record;
}

template <typename Record, typename ParentSlot>
void RecordPrune(Record*& current, bool keep, ParentSlot* parentFirstChild) {
  if (current == nullptr) {
    if (parentFirstChild != nullptr) *parentFirstChild = nullptr;
    return;
  }
  if (keep) return;
  Record* previous = current->Prev;
  ArenaRelease(current);
  current = previous;
  if (current != nullptr) {
    current->Next = nullptr;
  } else if (parentFirstChild != nullptr) {
    *parentFirstChild = nullptr;
  }
}

InterfaceRecord** DeviceChildSlot() {
  return gWalk.CurrentDevice != nullptr ? &gWalk.CurrentDevice->FirstChild : nullptr;
}

PinRecord** InterfaceChildSlot() {
  return gWalk.CurrentInterface != nullptr ? &gWalk.CurrentInterface->FirstChild : nullptr;
}

}  // namespace

DeviceRecord* DeviceRecordNew() {
  DeviceRecord** none = nullptr;
  return RecordNew(gWalk.CurrentDevice, kDeviceRecordSize, kDeviceKind, none);
}

void DeviceRecordPrune() {
  DeviceRecord** none = nullptr;
  bool keep = gWalk.CurrentDevice != nullptr && gWalk.CurrentDevice->FirstChild != nullptr;
  NoteMake(Note::kDeviceRecord, keep);
  RecordPrune(gWalk.CurrentDevice, keep, none);
}

InterfaceRecord* InterfaceRecordNew() {
  return RecordNew(gWalk.CurrentInterface, kInterfaceRecordSize, kInterfaceKind,
                   DeviceChildSlot());
}

void InterfaceRecordPrune() {
  bool keep = gWalk.CurrentInterface != nullptr && gWalk.CurrentInterface->FirstChild != nullptr;
  NoteMake(Note::kInterfaceRecord, keep);
  RecordPrune(gWalk.CurrentInterface, keep, DeviceChildSlot());
}

PinRecord* PinRecordNew() {
  return RecordNew(gWalk.CurrentPin, kPinRecordSize, kPinKind, InterfaceChildSlot());
}

void PinRecordPrune() {
  bool keep = gWalk.CurrentPin != nullptr && gWalk.CurrentPin->BestRange.MaxChannels != 0;
  NoteMake(Note::kPinRecord, keep);
  RecordPrune(gWalk.CurrentPin, keep, InterfaceChildSlot());
}

}  // namespace ksr
