// What a run listed, line by line, as its report says it and as its
// explanation says it, so that the two can be compared: a device block's
// cut line ("device"), each Interface line ("interface"), each Pin line and
// the range lines under it, as the report spells them. And everything an
// explanation of any machine must hold to, for the tests and the fuzz
// target alike.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "explain/explain_run.h"

namespace ksr {

std::vector<std::string> ReportListing(const std::string& report);
std::vector<std::string> ExplainListing(const ExplainTree& tree);

// The faults of an explained run, each in words; none when it is sound:
// every note found its item, the explanation lists what the report of the
// same run lists, no line of text (with colour or without) is longer than
// kExplainColumns, and the JSON parses. name stands for the machine in the
// heading; json is set to the JSON, parsed (discarded when it does not
// parse), for the schema's check.
std::vector<std::string> ExplainFaults(const std::string& name, const ExplainRun& explained, nlohmann::json* json);

}  // namespace ksr
