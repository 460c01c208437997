// One line per report, for sorting through many reports at once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

struct ReaderTableRow {
  std::string File;
  size_t Devices = 0;
  size_t Interfaces = 0;        // interfaces an audio host could open: those listed
  size_t Pins = 0;              // pins listed under them
  size_t PinsWithoutRange = 0;  // listed pins without a usable PCM range
  size_t Flagged = 0;           // values ReaderPinWarnings and ReaderDeviceWarnings flag
  std::vector<std::string> Transport;
  // Where reading stopped, for a report cut short or with a bad device.
  std::optional<ReaderStop> Stopped;
  // Why a file gave no report at all; the counts are then meaningless.
  std::optional<ReaderStop> Error;
};

ReaderTableRow ReaderTableRowOf(const std::string& file, const ParsedReport& report);
ReaderTableRow ReaderTableErrorRow(const std::string& file, const ReaderStop& error);

// Right-aligned counts under a header line, the report's name last so
// that names of any length leave the columns straight. A file without a
// report has "-" for its counts and says why after its name; an
// incomplete report says where it stopped.
std::string ReaderTableText(const std::vector<ReaderTableRow>& rows);

// {"format": "ksreport-table/1", "reports": [{"file", "devices",
// "interfaces", "pins", "pinsWithoutRange", "flagged", "transport",
// "complete", "stopped"}]}; for a file without a report, {"file",
// "error": {"line", "message"}}.
std::string ReaderTableJson(const std::vector<ReaderTableRow>& rows);

}  // namespace ksr
