// Builders of simulated answers, byte layouts as the drivers deliver them;
// and where a device or pin holds the answer to each property.
#include "platform/sim/sim.h"

#include "platform/guid_names.h"

namespace ksr {

void SimAppendU32(SimBytes* out, uint32_t value) {
  uint8_t bytes[4];
  WireStoreU32(bytes, value);
  for (uint8_t b : bytes) out->push_back(b);
}

void SimAppendGuid(SimBytes* out, const GUID& guid) {
  uint8_t bytes[16];
  GuidToBytes(guid, bytes);
  out->insert(out->end(), bytes, bytes + 16);
}

SimBytes SimString(const std::string& text) {
  SimBytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

SimBytes SimMulti(const std::vector<std::string>& strings) {
  SimBytes bytes;
  for (const std::string& s : strings) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

SimBytes SimU32Bytes(uint32_t value) {
  SimBytes bytes;
  SimAppendU32(&bytes, value);
  return bytes;
}

SimAnswer SimAbsent() { return SimAnswer(); }

SimAnswer SimPending() {
  SimAnswer answer;
  answer.kind = SimAnswer::kPending;
  return answer;
}

SimAnswer SimAnswerBytes(const SimBytes& bytes) {
  SimAnswer answer;
  answer.kind = SimAnswer::kBytes;
  answer.bytes = bytes;
  return answer;
}

SimAnswer SimU32(uint32_t value) { return SimAnswerBytes(SimU32Bytes(value)); }

SimAnswer SimU32s(const std::vector<uint32_t>& values) {
  SimBytes bytes;
  for (uint32_t v : values) SimAppendU32(&bytes, v);
  return SimAnswerBytes(bytes);
}

SimBytes SimIdentifier(const GUID& set, uint32_t id, uint32_t flags) {
  SimBytes bytes;
  SimAppendGuid(&bytes, set);
  SimAppendU32(&bytes, id);
  SimAppendU32(&bytes, flags);
  return bytes;
}

SimAnswer SimList(const std::vector<SimBytes>& items, std::optional<uint32_t> count,
                  std::optional<uint32_t> size, uint32_t align) {
  SimBytes body;
  for (const SimBytes& item : items) {
    body.insert(body.end(), item.begin(), item.end());
    // The header is 8 bytes, so a boundary in the body is one in the answer.
    if (align > 1) body.resize((body.size() + align - 1) / align * align, 0);
  }
  SimBytes bytes;
  SimAppendU32(&bytes, size.value_or(static_cast<uint32_t>(8 + body.size())));
  SimAppendU32(&bytes, count.value_or(static_cast<uint32_t>(items.size())));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return SimAnswerBytes(bytes);
}

SimPin SimDefaultPin() {
  SimPin pin;
  pin.communication = SimU32(1);
  pin.globalInstances = SimU32s({1, 0});
  pin.instances = SimAbsent();
  pin.interfaces = SimList({SimIdentifier(KSINTERFACESETID_Standard, 0, 0)});
  pin.mediums = SimList({SimIdentifier(KSMEDIUMSETID_Standard, 0, 0)});
  pin.dataflow = SimU32(1);
  pin.dataRanges = SimList({});
  return pin;
}

SimDeviceField SimDevicePropertyField(DWORD property) {
  switch (property) {
    case SPDRP_DEVICEDESC: return &SimDevice::description;
    case SPDRP_HARDWAREID: return &SimDevice::hardwareIds;
    case SPDRP_BUSNUMBER: return &SimDevice::busNumber;
    case SPDRP_MFG: return &SimDevice::manufacturer;
    case SPDRP_SERVICE: return &SimDevice::service;
    default: return nullptr;
  }
}

SimPinField SimPinPropertyField(DWORD propertyId) {
  switch (propertyId) {
    case KSPROPERTY_PIN_CINSTANCES: return &SimPin::instances;
    case KSPROPERTY_PIN_DATAFLOW: return &SimPin::dataflow;
    case KSPROPERTY_PIN_DATARANGES: return &SimPin::dataRanges;
    case KSPROPERTY_PIN_INTERFACES: return &SimPin::interfaces;
    case KSPROPERTY_PIN_MEDIUMS: return &SimPin::mediums;
    case KSPROPERTY_PIN_COMMUNICATION: return &SimPin::communication;
    case KSPROPERTY_PIN_GLOBALCINSTANCES: return &SimPin::globalInstances;
    default: return nullptr;
  }
}

SimBytes SimPcmRange(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate) {
  SimDataRange range;
  range.maxChannels = channels;
  range.minBits = bits;
  range.maxBits = bits;
  range.minRate = minRate;
  range.maxRate = maxRate;
  return SimDataRangeBytes(range);
}

SimPin SimPcmPin(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate) {
  SimPin pin = SimDefaultPin();
  pin.dataRanges = SimList({SimPcmRange(channels, bits, minRate, maxRate)});
  return pin;
}

const char* SimGuidName(const GUID& guid) { return GuidNameOf(guid); }

bool SimParseGuid(const std::string& text, GUID* out) {
  if (GuidNameFind(text.c_str(), out)) return true;
  // A literal: 8-4-4-4-12 hex digits, either case.
  static const size_t kGroups[] = {8, 4, 4, 4, 12};
  std::string digits;
  size_t at = 0;
  for (size_t g = 0; g < 5; ++g) {
    if (g > 0 && (at >= text.size() || text[at++] != '-')) return false;
    std::string part = text.substr(at, kGroups[g]);
    if (part.size() != kGroups[g] || part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return false;
    }
    digits += part;
    at += part.size();
  }
  if (at != text.size()) return false;
  auto hex = [&](size_t from, size_t n) { return std::stoul(digits.substr(from, n), nullptr, 16); };
  out->Data1 = static_cast<uint32_t>(hex(0, 8));
  out->Data2 = static_cast<uint16_t>(hex(8, 4));
  out->Data3 = static_cast<uint16_t>(hex(12, 4));
  for (size_t i = 0; i < 8; ++i) out->Data4[i] = static_cast<uint8_t>(hex(16 + 2 * i, 2));
  return true;
}

}  // namespace ksr
