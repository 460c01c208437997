// What a run listed, as its report says it and as its explanation says it,
// so that the two can be compared: each device block ("device"), each
// Interface line with its pin count when one was written, each Pin line and
// the range lines under it, in a plain form of their own. And everything an
// explanation of any machine must hold to, for the tests and the fuzz
// target alike.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "explain/explain_run.h"
#include "explain/explain_summary.h"

namespace ksr {

// What the report lists, as the reader's grammar parses it. A report whose
// file could not be created at first has lost what the writer printed
// until it was: the header's first pieces, for which the writer's own
// header stands in, from the start title on. False, with the parser's
// error, when it does not parse.
bool ReportListing(const std::string& report, std::vector<std::string>* listing, std::string* error);
std::vector<std::string> ExplainListing(const ExplainTree& tree);
// What the report must list if the explanation's summary is right: every
// device, interface, pin and range the walk met, less what the summary
// says was left out (a pin listed without a range keeps its Pin line).
std::vector<std::string> SummaryListing(const ExplainTree& tree);
// The same from the summary's items given (to try a summary with an item
// left out of it).
std::vector<std::string> SummaryListing(const ExplainTree& tree, const std::vector<ExplainLeftOut>& items);

// Makes some of the machine's pin answers (those whose bit of mask is
// set, counted over every pin answer in order) answers a capture kept by
// their length only, so that the explanation's words for cut answers are
// tried too.
void ExplainCutAnswers(SimMachine* machine, uint32_t mask);

// The faults of the explained run of machine, each in words; none when it
// is sound: every note found its item, the explanation lists what the
// report of the same run lists, its summary names exactly what the report
// leaves out, no line of text (default or full, with colour or without)
// is longer than kExplainColumns, and the JSON parses. name stands for the
// machine in the heading; json is set to the JSON, parsed (discarded when
// it does not parse), for the schema's check.
std::vector<std::string> ExplainFaults(const std::string& name, const SimMachine& machine,
                                       const ExplainRun& explained, nlohmann::json* json);

}  // namespace ksr
