// The JSON of a report's items, shared by the reader's JSON and its diff.
// Only for ks_reader's own sources: the JSON library is not part of its
// interface.
#pragma once

#include <nlohmann/json.hpp>

#include "reader/reader_parse.h"

namespace ksr {

using ReaderJsonValue = nlohmann::ordered_json;

ReaderJsonValue ReaderPinJson(const ParsedInterface& iface, const ParsedPin& pin);
ReaderJsonValue ReaderInterfaceJson(const ParsedInterface& iface);
ReaderJsonValue ReaderDeviceJson(const ParsedDevice& device);
// {"line", "message"}; "line" is null when the message names no line.
ReaderJsonValue ReaderStopJson(const ReaderStop& stop);
// Pretty-printed, two spaces, a line end at the end.
std::string ReaderJsonText(const ReaderJsonValue& value);

}  // namespace ksr
