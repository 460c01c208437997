// Kernel-streaming pin property requests on an opened filter, the gates that
// decide which pins are listed, and the choice of each pin's best PCM range.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"
#include "store/records.h"

namespace ksr {

constexpr DWORD kKsRequestSize = 32;  // one KSP_PIN

// How long a request reported pending is waited for after its cancel. A
// driver that holds a request without a cancel routine never ends it; such
// a request is given up after this wait and its property counts as absent.
constexpr DWORD kKsCancelWaitMs = 2000;

// Requests that may be given up in one run. Each holds its input, OVERLAPPED,
// byte count, event and output until the process ends, and each costs one
// full wait: with a filter asked nothing more once it held a request, and
// no request at all once every slot is used, the waits of a run whose
// drivers ignore every cancel add up to kKsRequestSlots * kKsCancelWaitMs
// (32 seconds) at most.
constexpr uint32_t kKsRequestSlots = 16;

// Sends one overlapped device-control request and waits for its end.
// Returns the byte count the platform delivered: the bytes written on
// success, the needed size when the output was too small, 0 otherwise
// (a request left pending is cancelled and counts as absent; one that does
// not end within kKsCancelWaitMs after its cancel is given up).
uint32_t KsSyncIoctl(HANDLE handle, DWORD controlCode, void* input, DWORD inputLength,
                     void* output, DWORD outputLength);

// Requests given up so far in this run.
uint32_t KsRequestsAbandoned();

// A new filter is about to be asked: the one that held a request before is
// no longer open.
void KsRequestFilterBegin();

// Forgets the given-up requests, as at process start. The program never
// needs it; tests run many reports in one process, each over a platform
// of its own.
void KsRequestReset();

// Asks one property of the pin property set for pinId.
uint32_t KsPinPropertyGet(HANDLE handle, uint32_t pinId, uint32_t propertyId, void* output,
                          uint32_t outputLength);

// A list answer: Length is the number of bytes that may be read (never more
// than the buffer holds), Count the header's item count, items from byte 8.
struct KsAnswer {
  uint8_t* Data;
  uint32_t Length;
  uint32_t Count;
};

constexpr uint32_t kKsItemsOffset = 8;

// Places in a KSIDENTIFIER (Set, Id, Flags), an entry of the interfaces and
// mediums lists.
constexpr uint32_t kIdentifierSize = 24;
constexpr uint64_t kIdentifierIdAt = 16;

// Places in a KSDATARANGE_AUDIO, an entry of the data-ranges list.
constexpr uint64_t kFormatSizeAt = 0;
constexpr uint64_t kMajorFormatAt = 16;
constexpr uint64_t kSubFormatAt = 32;
constexpr uint64_t kSpecifierAt = 48;
constexpr uint64_t kMaxChannelsAt = 64;
constexpr uint64_t kMinBitsAt = 68;
constexpr uint64_t kMaxBitsAt = 72;
constexpr uint64_t kMinRateAt = 76;
constexpr uint64_t kMaxRateAt = 80;
constexpr uint64_t kRangeHeadSize = 32;  // FormatSize through MajorFormat

// Size query, then data query into a zero-filled buffer of exactly the
// named size. False, with nothing to give back, when either query yields
// nothing, a buffer of the named size can't be had, the header is
// incomplete or Count is 0. The caller gives the buffer back with
// KsAnswerFree.
bool FetchMultipleItem(HANDLE handle, uint32_t pinId, uint32_t propertyId, KsAnswer* answer);
void KsAnswerFree(KsAnswer* answer);

// Asks the pin count, writes NumPins and the pins that pass the gates.
void KsInspectPins(HANDLE deviceHandle, InterfaceRecord* record);

// The five pin gates in order; on pass, dataflow holds the data-flow value.
bool KsPinQualify(HANDLE deviceHandle, PinRecord* pin, uint32_t* dataflow);
bool KsPinInstanceProbe(HANDLE deviceHandle, uint32_t pinId);
bool KsListHasIdentifier(HANDLE deviceHandle, uint32_t pinId, uint32_t propertyId,
                         const GUID& set);

// Folds the pin's usable PCM ranges into its BestRange and writes the range
// lines when one was found.
void KsPinSelectRange(HANDLE deviceHandle, PinRecord* pin);

// Folds one data range (at least kDataRangeAudioSize readable bytes) into best.
constexpr uint32_t kDataRangeAudioSize = 84;
void MergeDataRange(PcmRange* best, const uint8_t* range);

}  // namespace ksr
