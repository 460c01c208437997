// What a capture keeps of a report run: every answer the platform gave,
// placed in the machine it describes (devices, their interfaces, their
// pins), so that it can be written out as a machine file that replays the
// run. Filled by the CaptureRecord routines, which the capture layer calls
// after each platform call it forwards; read by the machine-file writer.
#pragma once

#include <cstdint>

#include "platform/machine_keys.h"
#include "platform/wintypes.h"

namespace ksr {

// How one platform answer ended, as the caller could tell.
enum CaptureOutcome : uint8_t {
  kCaptureNotAsked = 0,
  kCaptureDelivered,  // succeeded; Count and Bytes hold what came
  kCaptureRefused,    // refused for size; Count holds the size it needs
  kCapturePending,    // reported pending; Ended, EndStatus, EndCount say how it ended, GivenUp that it did not
  kCaptureFailed,     // failed otherwise; Error holds why
};

// One answer: a device property, a device path, a friendly name, a
// pin-property request.
struct CaptureAnswer {
  CaptureOutcome Outcome;
  bool Cut;                // delivered bytes over the bound: only Count was kept
  bool Ended;              // pending: its end was seen
  bool GivenUp;            // pending: its wait after the cancel timed out
  uint32_t OutputLength;   // requests: the output length asked with
  uint32_t Count;          // delivered: the count; refused: the size needed
  uint32_t Error;          // failed (or a friendly name's status)
  uint32_t EndStatus;
  uint32_t EndCount;
  uint32_t Length;         // kept bytes
  const uint8_t* Bytes;
};

// The pin properties a run asks, by id (KSPROPERTY_PIN_*), each in at most
// two requests: a fixed answer in one, a list in its size and data queries.
constexpr uint32_t kCapturePinProperties = 9;

struct CapturePin {
  CaptureAnswer Requests[kCapturePinProperties][2];
};

// Every pin property of a machine file, from the one at `at` on, has its
// requests in a CapturePin.
constexpr bool CapturePinKeysHeld(uint32_t at = 0) {
  return at == kMachinePinKeyCount ||
         (kMachinePinKeys[at].Property < kCapturePinProperties && CapturePinKeysHeld(at + 1));
}
static_assert(CapturePinKeysHeld(), "a pin property of the machine file that CapturePin does not hold");

struct CapturePinSlot {
  CapturePin* Pin;  // null where the pin was never asked
};

struct CaptureInterface {
  CaptureInterface* Next;
  SP_DEVICE_INTERFACE_DATA Data;  // as delivered, to know the interface again
  uint32_t Flags;
  CaptureAnswer Path;          // delivered: the path's bytes up to its NUL
  CaptureAnswer RenderAlias;   // delivered: Count holds the alias's Flags
  CaptureAnswer CaptureAlias;
  CaptureAnswer Opened;        // delivered or failed
  CaptureAnswer Key;           // delivered or failed
  CaptureAnswer FriendlyName;  // the buffer as the read left it; Error its status
  CaptureAnswer PinTypes;
  CapturePinSlot* Pins;        // by pin id
  uint32_t PinSlots;           // entries of Pins
  uint32_t PinsAsked;          // one past the highest pin id asked
  HANDLE Filter;               // while open
  HKEY OpenKey;                // while open
};

struct CaptureDevice {
  CaptureDevice* Next;
  SP_DEVINFO_DATA Data;  // as delivered, to know the device again
  CaptureAnswer Properties[kMachineDeviceKeyCount];  // as kMachineDeviceKeys lists them
  CaptureInterface* Interfaces;
  CaptureInterface* LastInterface;
};

// A platform call that failed where the machine's own answers can't say so
// (the report's writes, events, waits, heap blocks): played back as the
// nth call of its operation failing.
struct CaptureFailure {
  CaptureFailure* Next;
  const char* Op;
  uint32_t Nth;
  uint32_t Error;
};

// Why a replay of the capture may not be the machine.
enum CaptureTruncation : uint32_t {
  kCaptureAnswerOverBound = 1,   // an answer over kCaptureAnswerLimit
  kCaptureBytesOverBound = 2,    // answers over kCaptureBytesLimit in all
  kCaptureRecordsOverBound = 4,  // more devices, interfaces or pins than the store holds
  kCaptureHeapOverSim = 8,       // an answer buffer the simulated heap would refuse
  kCaptureUnplaced = 16,         // an answer the capture could not place in the machine
};

// The calls whose failures become CaptureFailures, counted as the run
// makes them.
enum CaptureCounted : uint32_t {
  kCountModuleFileName = 0,
  kCountWriteFile,
  kCountCreateEvent,
  kCountSetEvent,
  kCountWait,
  kCountHeapAlloc,
  kCountedOps
};

struct CaptureModel {
  CaptureAnswer DeviceSet;  // delivered or failed
  CaptureDevice* Devices;
  CaptureDevice* LastDevice;
  uint32_t ReportCreateFailures;  // before the report file was created
  bool ReportCreated;
  CaptureFailure* Failures;
  CaptureFailure* LastFailure;
  uint32_t Counts[kCountedOps];
  uint32_t Truncated;  // CaptureTruncation bits
  // The request reported pending, until its wait ends.
  CaptureAnswer* Pending;
  OVERLAPPED* PendingOverlapped;
  uintptr_t PendingEvent;
};

extern CaptureModel gCapture;

// Forgets everything recorded (the store included); for tests.
void CaptureReset();

// What the capture layer tells after each call it forwards. `ok` is the
// call's result as the caller tests it, `error` the platform's last error
// right after it.
void CaptureRecordDeviceSet(bool ok);
void CaptureRecordDevice(bool ok, const SP_DEVINFO_DATA* data);
void CaptureRecordProperty(const SP_DEVINFO_DATA* device, DWORD property, bool ok, DWORD error,
                           const uint8_t* buffer, DWORD bufferSize, DWORD requiredSize);
void CaptureRecordInterface(bool ok, const SP_DEVINFO_DATA* device,
                            const SP_DEVICE_INTERFACE_DATA* data);
void CaptureRecordPath(const SP_DEVICE_INTERFACE_DATA* data, bool ok, DWORD error,
                       const uint8_t* detail, DWORD detailSize, DWORD requiredSize);
void CaptureRecordAlias(const SP_DEVICE_INTERFACE_DATA* data, const GUID* aliasClass, bool ok,
                        DWORD error, DWORD aliasFlags);
void CaptureRecordOpen(const char* path, bool filter, HANDLE handle, DWORD error);
void CaptureRecordKey(const SP_DEVICE_INTERFACE_DATA* data, HKEY key, DWORD error);
void CaptureRecordValue(HKEY key, LONG status, const uint8_t* buffer, DWORD bufferSize,
                        DWORD dataSize);
void CaptureRecordClose(HANDLE handle);
void CaptureRecordRequest(HANDLE filter, const void* input, DWORD inputLength,
                          const void* output, DWORD outputLength, bool ok, DWORD error,
                          DWORD count, OVERLAPPED* overlapped);
void CaptureRecordWait(HANDLE event);
// A wait on event timed out: when it is the pending request's, the request
// ignored its cancel and was given up.
void CaptureRecordWaitTimedOut(HANDLE event);
// A counted call: its failure is kept as a CaptureFailure.
void CaptureRecordCounted(CaptureCounted op, bool failed, DWORD error);
void CaptureRecordHeapBlock(size_t bytes, bool granted);

}  // namespace ksr
