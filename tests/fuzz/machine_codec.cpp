#include "tests/fuzz/machine_codec.h"

#include <algorithm>
#include <array>
#include <string>

namespace ksr {

namespace {

// Reads past the end give zeros: every prefix of an input is a machine.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t U8() { return at < size ? data[at++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
  uint32_t U32() {
    uint8_t b[4] = {U8(), U8(), U8(), U8()};
    return WireLoadU32(b);
  }
  SimBytes Bytes() {
    size_t n = std::min<size_t>(U16(), kFuzzMaxBytes);
    SimBytes b;
    for (size_t i = 0; i < n; ++i) b.push_back(U8());
    return b;
  }
  std::optional<SimBytes> Optional() {
    if (U8() == 0) return std::nullopt;
    return Bytes();
  }
};

struct Writer {
  std::vector<uint8_t> out;
  void U8(uint8_t v) { out.push_back(v); }
  void U16(uint16_t v) { U8(static_cast<uint8_t>(v)); U8(static_cast<uint8_t>(v >> 8)); }
  void U32(uint32_t v) {
    uint8_t b[4];
    WireStoreU32(b, v);
    for (uint8_t byte : b) U8(byte);
  }
  void Bytes(const SimBytes& b) {
    size_t n = std::min(b.size(), kFuzzMaxBytes);
    U16(static_cast<uint16_t>(n));
    out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
  }
  void Optional(const std::optional<SimBytes>& b) {
    U8(b ? 1 : 0);
    if (b) Bytes(*b);
  }
};

uint32_t BoundSizeQuery(uint32_t v) {
  // Above the simulated heap's limit the fetch is refused at once; below
  // it, lies are kept small so that a run stays short.
  return v > kSimHeapLimit ? v : v % kFuzzMaxSizeQuery;
}

SimAnswer ReadAnswer(Reader& r) {
  SimAnswer a;
  uint8_t head = r.U8();
  a.kind = static_cast<SimAnswer::Kind>((head & 0x0F) % 3);
  if (head & 0x10) a.sizeQuery = BoundSizeQuery(r.U32());
  if (head & 0x20) a.reported = r.U32();
  if (a.kind == SimAnswer::kBytes) a.bytes = r.Bytes();
  // A pending request that ignores its cancel: the program gives it up.
  if (a.kind == SimAnswer::kPending && (head & 0x40) != 0) {
    a.ended = SimPendingEnd();
    a.ended->ignoresCancel = true;
  }
  return a;
}

void WriteAnswer(Writer& w, const SimAnswer& a) {
  bool held = a.kind == SimAnswer::kPending && a.ended && a.ended->ignoresCancel;
  w.U8(static_cast<uint8_t>(a.kind | (a.sizeQuery ? 0x10 : 0) | (a.reported ? 0x20 : 0) | (held ? 0x40 : 0)));
  if (a.sizeQuery) w.U32(BoundSizeQuery(*a.sizeQuery));
  if (a.reported) w.U32(*a.reported);
  if (a.kind == SimAnswer::kBytes) w.Bytes(a.bytes);
}

// A pin count above the bound is cut, so that one run asks a bounded
// number of pins.
SimAnswer BoundPinTypes(SimAnswer a) {
  if (a.kind == SimAnswer::kBytes && a.bytes.size() >= 4) {
    uint32_t v = WireLoadU32(a.bytes.data());
    if (v > kFuzzMaxPinTypes) {
      SimBytes b = SimU32Bytes(v % (kFuzzMaxPinTypes + 1));
      std::copy(b.begin(), b.end(), a.bytes.begin());
    }
  }
  return a;
}

// Operations whose failures a fuzzed machine may inject. Left out: the
// report's own writes (a missing footer is what the target looks for).
// A failed CancelIoEx leaves its request pending; the bounded wait gives it
// up.
const char* const kFuzzFailOps[] = {
    "CreateFileA", "CreateEventA", "WaitForSingleObject", "CloseHandle", "DeviceIoControl",
    "HeapAlloc", "HeapFree", "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
    "SetupDiGetDeviceRegistryPropertyA", "SetupDiDestroyDeviceInfoList",
    "SetupDiEnumDeviceInterfaces", "SetupDiGetDeviceInterfaceDetailA",
    "SetupDiGetDeviceInterfaceAlias", "SetupDiOpenDeviceInterfaceRegKey", "RegQueryValueExA",
    "RegCloseKey", "CancelIoEx"};
const DWORD kFuzzFailErrors[] = {ERROR_GEN_FAILURE,       ERROR_NOT_FOUND,     ERROR_MORE_DATA,
                                 ERROR_INVALID_PARAMETER, ERROR_NO_MORE_ITEMS, ERROR_INSUFFICIENT_BUFFER,
                                 ERROR_ACCESS_DENIED,     ERROR_NOT_ENOUGH_MEMORY};

int FailErrorIndex(DWORD error) {
  for (size_t i = 0; i < sizeof kFuzzFailErrors / sizeof kFuzzFailErrors[0]; ++i) {
    if (kFuzzFailErrors[i] == error) return static_cast<int>(i);
  }
  return -1;
}

int FailOpIndex(const std::string& op) {
  for (size_t i = 0; i < sizeof kFuzzFailOps / sizeof kFuzzFailOps[0]; ++i) {
    if (op == kFuzzFailOps[i]) return static_cast<int>(i);
  }
  return -1;
}

SimAnswer SimPin::*const kPinAnswers[] = {&SimPin::communication, &SimPin::globalInstances,
                                          &SimPin::instances,     &SimPin::interfaces,
                                          &SimPin::mediums,       &SimPin::dataflow,
                                          &SimPin::dataRanges};

}  // namespace

SimMachine FuzzDecodeMachine(const uint8_t* data, size_t size) {
  Reader r{data, size};
  SimMachine m;
  uint8_t head = r.U8();
  m.deviceSet = (head & 1) == 0;
  m.reportCreateFailures = (head >> 1) & 3;
  m.devices.resize(r.U8() % (kFuzzMaxDevices + 1));
  for (SimDevice& d : m.devices) {
    d.devInst = r.U32();
    d.description = r.Optional();
    d.hardwareIds = r.Optional();
    d.busNumber = r.Optional();
    d.manufacturer = r.Optional();
    d.service = r.Optional();
    d.interfaces.resize(r.U8() % (kFuzzMaxInterfaces + 1));
    for (SimInterface& i : d.interfaces) {
      i.flags = r.U32();
      std::optional<SimBytes> path = r.Optional();
      if (path) i.path = std::string(path->begin(), path->end());
      uint8_t bits = r.U8();
      if (bits & 1) i.renderAlias = r.U32();
      if (bits & 2) i.captureAlias = r.U32();
      i.opens = (bits & 4) == 0;
      i.registryKey = (bits & 8) == 0;
      i.friendlyNameFill = (bits & 32) != 0;
      i.ksShortBuffers = (bits & 64) != 0;
      i.friendlyName = r.Optional();
      if (bits & 16) i.pinTypes = BoundPinTypes(ReadAnswer(r));
      i.pins.resize(r.U8() % (kFuzzMaxPins + 1));
      for (SimPin& p : i.pins) {
        for (SimAnswer SimPin::*answer : kPinAnswers) p.*answer = ReadAnswer(r);
      }
    }
  }
  // Failures come last, so that an input without them plays every call.
  m.failCalls.resize(r.U8() % (kFuzzMaxFailures + 1));
  for (SimFailure& f : m.failCalls) {
    f.op = kFuzzFailOps[r.U8() % (sizeof kFuzzFailOps / sizeof kFuzzFailOps[0])];
    f.nth = 1u + r.U8();
    f.error = kFuzzFailErrors[r.U8() % (sizeof kFuzzFailErrors / sizeof kFuzzFailErrors[0])];
  }
  return m;
}

std::vector<uint8_t> FuzzEncodeMachine(const SimMachine& m) {
  Writer w;
  w.U8(static_cast<uint8_t>((m.deviceSet ? 0 : 1) | (std::min<uint32_t>(m.reportCreateFailures, 3) << 1)));
  size_t devices = std::min(m.devices.size(), kFuzzMaxDevices);
  w.U8(static_cast<uint8_t>(devices));
  for (size_t di = 0; di < devices; ++di) {
    const SimDevice& d = m.devices[di];
    w.U32(d.devInst);
    for (const auto* b : {&d.description, &d.hardwareIds, &d.busNumber, &d.manufacturer, &d.service}) {
      w.Optional(*b);
    }
    size_t interfaces = std::min(d.interfaces.size(), kFuzzMaxInterfaces);
    w.U8(static_cast<uint8_t>(interfaces));
    for (size_t ii = 0; ii < interfaces; ++ii) {
      const SimInterface& i = d.interfaces[ii];
      w.U32(i.flags);
      std::optional<SimBytes> path;
      if (i.path) path = SimBytes(i.path->begin(), i.path->end());
      w.Optional(path);
      w.U8(static_cast<uint8_t>((i.renderAlias ? 1 : 0) | (i.captureAlias ? 2 : 0) | (i.opens ? 0 : 4) |
                                (i.registryKey ? 0 : 8) | (i.pinTypes ? 16 : 0) | (i.friendlyNameFill ? 32 : 0) |
                                (i.ksShortBuffers ? 64 : 0)));
      if (i.renderAlias) w.U32(*i.renderAlias);
      if (i.captureAlias) w.U32(*i.captureAlias);
      w.Optional(i.friendlyName);
      if (i.pinTypes) WriteAnswer(w, BoundPinTypes(*i.pinTypes));
      size_t pins = std::min(i.pins.size(), kFuzzMaxPins);
      w.U8(static_cast<uint8_t>(pins));
      for (size_t pi = 0; pi < pins; ++pi) {
        for (SimAnswer SimPin::*answer : kPinAnswers) WriteAnswer(w, i.pins[pi].*answer);
      }
    }
  }
  // Only the failures a fuzzed machine can hold are kept; the others are
  // dropped, the same way every time.
  std::vector<std::array<uint8_t, 3>> failures;
  for (const SimFailure& f : m.failCalls) {
    int op = FailOpIndex(f.op);
    int error = FailErrorIndex(f.error);
    if (op >= 0 && error >= 0 && f.nth >= 1 && f.nth <= 256 && failures.size() < kFuzzMaxFailures) {
      failures.push_back({static_cast<uint8_t>(op), static_cast<uint8_t>(f.nth - 1),
                          static_cast<uint8_t>(error)});
    }
  }
  w.U8(static_cast<uint8_t>(failures.size()));
  for (const auto& f : failures) {
    for (uint8_t byte : f) w.U8(byte);
  }
  return w.out;
}

}  // namespace ksr
