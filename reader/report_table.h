// One line per report, for sorting through many reports at once.
#pragma once

#include <cstddef>
#include <optional>
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
  size_t Flagged = 0;           // values ReportPinWarnings and ReportDeviceWarnings flag
  std::vector<std::string> Transport;
  // Where reading stopped, for a report cut short or with a bad device.
  std::optional<ReportStop> Stopped;
  // Why a file gave no report at all; the counts are then meaningless.
  std::optional<ReportStop> Error;
};

ReportTableRow ReportTableRowOf(const std::string& file, const ParsedReport& report);
ReportTableRow ReportTableErrorRow(const std::string& file, const ReportStop& error);

// Right-aligned counts under a header line, the report's name last so
// that names of any length leave the columns straight. A file without a
// report has "-" for its counts and says why after its name; an
// incomplete report says where it stopped.
std::string ReportTableText(const std::vector<ReportTableRow>& rows);

// {"format": "ksreport-table/1", "reports": [{"file", "devices",
// "interfaces", "pins", "pinsWithoutRange", "flagged", "transport",
// "complete", "stopped"}]}; for a file without a report, {"file",
// "error": {"line", "message"}}.
std::string ReportTableJson(const std::vector<ReportTableRow>& rows);

}  // namespace ksr
