#include <cstring>

#include "report/note.h"
#include "kstream/answer_bytes.h"
#include "kstream/kstream.h"
#include "report/layout.h"

namespace ksr {

namespace {

// A 4-byte property: true with its value when exactly 4 bytes came back.
bool GetU32Property(HANDLE handle, uint32_t pinId, uint32_t propertyId, uint32_t* value) {
  uint8_t answer[4] = {0, 0, 0, 0};
  if (KsPinPropertyGet(handle, pinId, propertyId, answer, sizeof answer) != sizeof answer) {
    NoteMake(Note::kAnswerLength, sizeof answer);
    return false;
  }
  *value = WireLoadU32(answer);
  return true;
}

// KSPIN_CINSTANCES preset to PossibleCount 1, CurrentCount 0.
bool GetInstances(HANDLE handle, uint32_t pinId, uint32_t propertyId) {
  uint8_t answer[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  if (KsPinPropertyGet(handle, pinId, propertyId, answer, sizeof answer) != sizeof answer) {
    NoteMake(Note::kAnswerLength, sizeof answer);
    return false;
  }
  return true;
}

}  // namespace

bool KsPinInstanceProbe(HANDLE deviceHandle, uint32_t pinId) {
  return GetInstances(deviceHandle, pinId, KSPROPERTY_PIN_GLOBALCINSTANCES) ||
         GetInstances(deviceHandle, pinId, KSPROPERTY_PIN_CINSTANCES);
}

bool KsListHasIdentifier(HANDLE deviceHandle, uint32_t pinId, uint32_t propertyId,
                         const GUID& set) {
  KsAnswer answer;
  if (!FetchMultipleItem(deviceHandle, pinId, propertyId, &answer)) return false;
  bool found = false;
  // Count may promise more entries than arrived; the search ends at the
  // last whole entry.
  uint64_t offset = kKsItemsOffset;
  for (uint32_t i = 0; i < answer.Count && KsAnswerHas(answer.Length, offset, kIdentifierSize);
       ++i, offset += kIdentifierSize) {
    uint32_t id = 0;
    if (KsAnswerMatchGuid(answer.Data, answer.Length, offset, set) &&
        KsAnswerReadU32(answer.Data, answer.Length, offset + kIdentifierIdAt, &id) && id == 0) {
      found = true;
      break;
    }
  }
  NoteMake(Note::kListMatch, found);
  KsAnswerFree(&answer);
  return found;
}

bool KsPinQualify(HANDLE deviceHandle, PinRecord* pin, uint32_t* dataflow) {
  uint32_t pinId = pin->PinId;
  uint32_t communication = 0;
  NoteMake(Note::kPinGate, kGateCommunication);
  if (!GetU32Property(deviceHandle, pinId, KSPROPERTY_PIN_COMMUNICATION, &communication)) return false;
  if ((communication & 1) == 0) {
    NoteMake(Note::kNoConnection, communication);
    return false;
  }
  NoteMake(Note::kPinGate, kGateInstances);
  if (!KsPinInstanceProbe(deviceHandle, pinId)) return false;
  NoteMake(Note::kPinGate, kGateInterfaces);
  if (!KsListHasIdentifier(deviceHandle, pinId, KSPROPERTY_PIN_INTERFACES,
                           KSINTERFACESETID_Standard)) {
    return false;
  }
  NoteMake(Note::kPinGate, kGateMediums);
  if (!KsListHasIdentifier(deviceHandle, pinId, KSPROPERTY_PIN_MEDIUMS, KSMEDIUMSETID_Standard)) {
    return false;
  }
  NoteMake(Note::kPinGate, kGateDataflow);
  uint32_t flow = 0;
  if (!GetU32Property(deviceHandle, pinId, KSPROPERTY_PIN_DATAFLOW, &flow)) return false;
  if ((flow & 3) == 0) {
    NoteMake(Note::kNoDataflow, flow);
    return false;
  }
  *dataflow = flow;
  return true;
}

void KsInspectPins(HANDLE deviceHandle, InterfaceRecord* record) {
  KsRequestFilterBegin();
  uint32_t pinCount = 0;
  if (!GetU32Property(deviceHandle, 0, KSPROPERTY_PIN_CTYPES, &pinCount)) return;
  NoteMake(Note::kPinCount, pinCount);
  ReportNumPinsLine(pinCount);
  record->PinCount = pinCount;
  for (uint32_t pinId = 0; pinId < record->PinCount; ++pinId) {
    PinRecord* pin = PinRecordNew();
    // An exhausted store ends the pins as if the count had ended there.
    if (pin == nullptr) {
      NoteMake(Note::kStoreExhausted, kPinRecordSize);
      break;
    }
    pin->PinId = pinId;
    NoteMake(Note::kPinBegin, pinId);
    uint32_t dataflow = 0;
    if (KsPinQualify(deviceHandle, pin, &dataflow)) {
      NoteMake(Note::kPinListed, dataflow);
      ReportPinLine(pinId, dataflow);
      KsPinSelectRange(deviceHandle, pin);
    }
    PinRecordPrune();
  }
}

}  // namespace ksr
