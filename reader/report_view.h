// What ksreport-read prints: a readable summary, JSON for ticket systems,
// and the differences between two reports of the same machine.
#pragma once

#include <string>
#include <vector>

#include "reader/report_parse.h"

namespace ksr {

struct ReadOptions {
  bool colour = false;
};

// Colour only when stdout is a terminal and NO_COLOR is not set; on
// Windows, only in a console that says it takes colour.
bool ReportColourWanted();

// Values a support engineer should not take at face value.
std::vector<std::string> ReportPinWarnings(const ParsedInterface& iface, const ParsedPin& pin);

std::string ReportSummary(const std::string& file, const ParsedReport& report, const ReadOptions& options);
std::string ReportJson(const std::vector<std::pair<std::string, ParsedReport>>& reports);
// Empty when the two reports describe the same devices, interfaces and pins.
std::string ReportDiff(const ParsedReport& before, const ParsedReport& after, const ReadOptions& options);

// Names of the data flow as an audio host sees it.
std::string ReportDataflowName(uint32_t dataflow);

}  // namespace ksr
