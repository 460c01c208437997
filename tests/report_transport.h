// What the way to support does to a report: mail clients, ticket systems,
// editors and copy-paste. Test data for the intake, made from the writer's
// own reports; built into the tests, the reader's fuzz target and its
// benchmark, never into ksreport-read.
#pragma once

#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

struct ReportTransport {
  const char* Name;
  // Takes a report in its lines; the input of a later stage is the output
  // of an earlier one.
  std::string (*Apply)(const std::string& report);
  // The kinds the intake should name (reader/reader_intake.h).
  std::vector<std::string> Kinds;
  // Two transports combine when their stages differ, applied in stage
  // order: surroundings, the lines' own blanks and wrapping, quoting,
  // trailing blanks, line ends, the last line end, encoding.
  int Stage;
  // Pads lines unevenly: values lose blanks of their own at their end.
  bool Uneven = false;
};

inline constexpr int kReportTransportAround = 0;       // text or blank lines around the report
inline constexpr int kReportTransportContent = 1;      // blanks and wrapping inside the report's lines
inline constexpr int kReportTransportLastLineEnd = 5;  // the file ends without a line end

// Every transport the intake undoes.
const std::vector<ReportTransport>& ReportTransports();

// The transport of that name, or null.
const ReportTransport* ReportTransportNamed(const std::string& name);

// A report after the transports of a way, in order; the kinds the intake
// should name for them are added to kinds.
std::string ReportTransportApply(const std::string& report, const std::vector<const ReportTransport*>& way,
                                 std::vector<std::string>* kinds);

// Each transport alone, and every pair that can happen together, in the
// order they happen.
std::vector<std::vector<const ReportTransport*>> ReportTransportWays();

// The same devices, interfaces, pins and ranges, banner and feedback
// address, byte for byte, and the same items read whole; line numbers,
// transport notes and the words of where reading stopped aside.
bool ReportSameContent(const ParsedReport& a, const ParsedReport& b);

// What a report reads to after the transports of a way: itself, or after
// uneven padding, with the blanks at the end of its banner, hardware IDs
// and interface names gone.
ParsedReport ReportAfterTransport(const ParsedReport& report, const std::vector<const ReportTransport*>& way);

}  // namespace ksr
