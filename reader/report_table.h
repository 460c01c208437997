// One line per report, for sorting through many reports at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "reader/report_parse.h"

namespace ksr {

struct ReportTableRow {
  std::string File;
  size_t Devices = 0;
  size_t Interfaces = 0;        // interfaces an audio host could open: those listed
  size_t Pins = 0;              // pins listed under them
  size_t PinsWithoutRange = 0;  // listed pins without a usable PCM range
  size_t Flagged = 0;           // values ReportPinWarnings flags
  std::vector<std::string> Transport;
};

ReportTableRow ReportTableRowOf(const std::string& file, const ParsedReport& report);

// Right-aligned counts under a header line, the report's name last so
// that names of any length leave the columns straight.
std::string ReportTableText(const std::vector<ReportTableRow>& rows);

// {"format": "ksreport-table/1", "reports": [{"file", "devices",
// "interfaces", "pins", "pinsWithoutRange", "flagged", "transport"}]}
std::string ReportTableJson(const std::vector<ReportTableRow>& rows);

}  // namespace ksr
