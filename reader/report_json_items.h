// The JSON of a report's items, shared by the reader's JSON and its diff.
// Only for ks_reader's own sources: the JSON library is not part of its
// interface.
#pragma once

#include <nlohmann/json.hpp>

#include "reader/report_parse.h"

namespace ksr {

using ReportJsonValue = nlohmann::ordered_json;

ReportJsonValue ReportPinJson(const ParsedInterface& iface, const ParsedPin& pin);
ReportJsonValue ReportInterfaceJson(const ParsedInterface& iface);
ReportJsonValue ReportDeviceJson(const ParsedDevice& device);
// {"line", "message"}; "line" is null when the message names no line.
ReportJsonValue ReportStopJson(const ReportStop& stop);
// Pretty-printed, two spaces, a line end at the end.
std::string ReportJsonText(const ReportJsonValue& value);

}  // namespace ksr
