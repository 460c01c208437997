// Names for what an explanation shows: numbers in hex and decimal, the
// platform's published names of properties, errors, flags and GUIDs, and
// the keys and words of the gates.
#pragma once

#include <cstdint>
#include <string>

#include "explain/explain_tree.h"

namespace ksr {

std::string ExplainHex(uint32_t value);     // 0x0000002A
std::string ExplainHexDec(uint32_t value);  // 0x0000002A (42)

// A published GUID by its name, any other in the braced form
// {6994AD04-93EF-11D0-A3CC-00A0C9223196}; from bytes as they lie in answers.
std::string ExplainGuidText(const GUID& guid);
std::string ExplainGuidText(const uint8_t* bytes);
// A signal-processing mode by its short name ("RAW", "DEFAULT"), any other
// GUID as ExplainGuidText shows it.
std::string ExplainModeText(const GUID& mode);

// The first limit bytes in hex, two capital digits a byte, nothing between.
std::string ExplainHexBytes(const SimBytes& bytes, size_t limit);

// A string the platform delivered: its bytes up to the first NUL.
std::string ExplainCString(const SimBytes& bytes);

// KSPROPERTY_PIN_... or "property N".
std::string ExplainPropertyName(uint32_t property);
// SPDRP_... or "property N".
std::string ExplainDevicePropertyName(uint32_t property);
// "1168 ERROR_NOT_FOUND", or the number alone.
std::string ExplainErrorText(uint32_t error);
// "SPINT_ACTIVE|SPINT_REMOVED", "0" for none.
std::string ExplainFlagsText(uint32_t flags);
// KSPIN_COMMUNICATION_..., and the same as a word ("bridge"); KSPIN_DATAFLOW_...
std::string ExplainCommunicationName(uint32_t communication);
std::string ExplainCommunicationWords(uint32_t communication);
std::string ExplainDataflowName(uint32_t dataflow);

// Gates: a stable key ("render-alias") and words ("render alias").
const char* ExplainGateKey(ExplainGate gate);
const char* ExplainGateWords(ExplainGate gate);

}  // namespace ksr
