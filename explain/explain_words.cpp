#include "explain/explain_words.h"

#include <cstdio>
#include <cstring>

#include "platform/guid_names.h"

namespace ksr {

namespace {

struct Named {
  uint32_t value;
  const char* name;
};

template <size_t N>
const char* Find(const Named (&table)[N], uint32_t value) {
  for (const Named& n : table) {
    if (n.value == value) return n.name;
  }
  return nullptr;
}

const Named kProperties[] = {
    {KSPROPERTY_PIN_CINSTANCES, "KSPROPERTY_PIN_CINSTANCES"},
    {KSPROPERTY_PIN_CTYPES, "KSPROPERTY_PIN_CTYPES"},
    {KSPROPERTY_PIN_DATAFLOW, "KSPROPERTY_PIN_DATAFLOW"},
    {KSPROPERTY_PIN_DATARANGES, "KSPROPERTY_PIN_DATARANGES"},
    {KSPROPERTY_PIN_INTERFACES, "KSPROPERTY_PIN_INTERFACES"},
    {KSPROPERTY_PIN_MEDIUMS, "KSPROPERTY_PIN_MEDIUMS"},
    {KSPROPERTY_PIN_COMMUNICATION, "KSPROPERTY_PIN_COMMUNICATION"},
    {KSPROPERTY_PIN_GLOBALCINSTANCES, "KSPROPERTY_PIN_GLOBALCINSTANCES"},
};

const Named kDeviceProperties[] = {
    {SPDRP_DEVICEDESC, "SPDRP_DEVICEDESC"}, {SPDRP_HARDWAREID, "SPDRP_HARDWAREID"},
    {SPDRP_SERVICE, "SPDRP_SERVICE"},       {SPDRP_MFG, "SPDRP_MFG"},
    {SPDRP_BUSNUMBER, "SPDRP_BUSNUMBER"},
};

const Named kErrors[] = {
    {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
    {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
    {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_INVALID_DATA, "ERROR_INVALID_DATA"},
    {ERROR_GEN_FAILURE, "ERROR_GEN_FAILURE"},
    {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER"},
    {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
    {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
    {ERROR_ALREADY_EXISTS, "ERROR_ALREADY_EXISTS"},
    {ERROR_MORE_DATA, "ERROR_MORE_DATA"},
    {ERROR_NO_MORE_ITEMS, "ERROR_NO_MORE_ITEMS"},
    {ERROR_OPERATION_ABORTED, "ERROR_OPERATION_ABORTED"},
    {ERROR_IO_PENDING, "ERROR_IO_PENDING"},
    {ERROR_NOT_FOUND, "ERROR_NOT_FOUND"},
    {ERROR_INVALID_USER_BUFFER, "ERROR_INVALID_USER_BUFFER"},
    {ERROR_NO_SUCH_INTERFACE_DEVICE, "ERROR_NO_SUCH_INTERFACE_DEVICE"},
};

const Named kCommunications[] = {
    {0, "KSPIN_COMMUNICATION_NONE"}, {1, "KSPIN_COMMUNICATION_SINK"},
    {2, "KSPIN_COMMUNICATION_SOURCE"}, {3, "KSPIN_COMMUNICATION_BOTH"},
    {4, "KSPIN_COMMUNICATION_BRIDGE"},
};

const Named kDataflows[] = {{1, "KSPIN_DATAFLOW_IN"}, {2, "KSPIN_DATAFLOW_OUT"}};

// What a communication value means to a host that wants to connect.
const Named kCommunicationWords[] = {{0, "none"}, {1, "sink"}, {2, "source"}, {3, "both"}, {4, "bridge"}};

// Gates in ExplainGate's order: key, words.
const char* const kGates[][2] = {
    {"flags", "flags"},           {"detail", "detail read"},   {"render-alias", "render alias"},
    {"capture-alias", "capture alias"}, {"open", "filter open"}, {"key", "key open"},
    {"friendly-name", "friendly name"}, {"pin-count", "pin count"},
    {"communication", "communication"}, {"instances", "instances"}, {"interfaces", "interfaces"},
    {"mediums", "mediums"},       {"dataflow", "data flow"},
};

std::string Named32(const char* name, uint32_t value) {
  return name != nullptr ? std::string(name) : ExplainHex(value);
}

}  // namespace

std::string ExplainHex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string ExplainHexDec(uint32_t value) { return ExplainHex(value) + " (" + std::to_string(value) + ")"; }

std::string ExplainGuidText(const GUID& guid) {
  if (const char* name = GuidNameOf(guid)) return name;
  char text[48];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

std::string ExplainGuidText(const uint8_t* bytes) { return ExplainGuidText(GuidFromBytes(bytes)); }

std::string ExplainModeText(const GUID& mode) {
  static const char kModePrefix[] = "AUDIO_SIGNALPROCESSINGMODE_";
  const char* name = GuidNameOf(mode);
  if (name != nullptr && std::strncmp(name, kModePrefix, sizeof kModePrefix - 1) == 0) {
    return name + sizeof kModePrefix - 1;
  }
  return ExplainGuidText(mode);
}

std::string ExplainHexBytes(const SimBytes& bytes, size_t limit) {
  std::string hex;
  for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    hex += digits;
  }
  return hex;
}

std::string ExplainCString(const SimBytes& bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    if (b == 0) break;
    text += static_cast<char>(b);
  }
  return text;
}

std::string ExplainPropertyName(uint32_t property) {
  const char* name = Find(kProperties, property);
  return name != nullptr ? name : "property " + std::to_string(property);
}

std::string ExplainDevicePropertyName(uint32_t property) {
  const char* name = Find(kDeviceProperties, property);
  return name != nullptr ? name : "property " + std::to_string(property);
}

std::string ExplainErrorText(uint32_t error) {
  const char* name = Find(kErrors, error);
  // Codes with the customer bit (SetupAPI's own) are written in hex, as
  // their headers define them.
  std::string code = (error & 0x20000000u) != 0 ? ExplainHex(error) : std::to_string(error);
  return code + (name != nullptr ? std::string(" ") + name : "");
}

std::string ExplainFlagsText(uint32_t flags) {
  static const Named kFlags[] = {{SPINT_ACTIVE, "SPINT_ACTIVE"}, {SPINT_DEFAULT, "SPINT_DEFAULT"},
                                 {SPINT_REMOVED, "SPINT_REMOVED"}};
  std::string text;
  uint32_t rest = flags;
  for (const Named& n : kFlags) {
    if ((flags & n.value) == 0) continue;
    text += (text.empty() ? "" : "|") + std::string(n.name);
    rest &= ~n.value;
  }
  if (rest != 0) text += (text.empty() ? "" : "|") + ExplainHex(rest);
  return text.empty() ? "0" : text;
}

std::string ExplainCommunicationName(uint32_t communication) {
  return Named32(Find(kCommunications, communication), communication);
}

std::string ExplainCommunicationWords(uint32_t communication) {
  return Named32(Find(kCommunicationWords, communication), communication);
}

std::string ExplainDataflowName(uint32_t dataflow) { return Named32(Find(kDataflows, dataflow), dataflow); }

const char* ExplainGateKey(ExplainGate gate) { return kGates[static_cast<uint32_t>(gate)][0]; }
const char* ExplainGateWords(ExplainGate gate) { return kGates[static_cast<uint32_t>(gate)][1]; }

}  // namespace ksr
