// Fuzz target: ksreport-read over arbitrary bytes, through the intake and
// strictly. Every error names its line or says the file holds no report;
// every report renders, its JSON is valid UTF-8, and it shows no difference
// from itself. What the strict grammar takes, the intake reads to the same
// report with nothing noted, and again after each kind of damage on the way
// to support and after one pair of them (chosen by the input).
#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "reader/report_intake.h"
#include "reader/report_table.h"
#include "reader/report_transport.h"
#include "reader/report_view.h"

namespace {

void FuzzCheck(bool ok) {
  if (!ok) std::abort();
}

bool FuzzKnownError(const std::string& error) {
  return error.compare(0, 5, "line ") == 0 || error == "the file is empty" ||
         error.compare(0, 17, "no report found: ") == 0;
}

void FuzzRender(const std::vector<ksr::ParsedReport>& reports) {
  ksr::ReadOptions options;
  std::vector<std::pair<std::string, ksr::ParsedReport>> named;
  std::vector<ksr::ReportTableRow> rows;
  for (const ksr::ParsedReport& report : reports) {
    FuzzCheck(!ksr::ReportSummary("fuzz.txt", report, options).empty());
    FuzzCheck(ksr::ReportDiff(report, report, options).empty());
    named.emplace_back("fuzz.txt", report);
    rows.push_back(ksr::ReportTableRowOf("fuzz.txt", report));
  }
  FuzzCheck(nlohmann::json::accept(ksr::ReportJson(named)));
  FuzzCheck(nlohmann::json::accept(ksr::ReportTableJson(rows)));
  FuzzCheck(!ksr::ReportTableText(rows).empty());
}

// A report read after the way ways, which must give the same content and
// name the kinds.
void FuzzTransported(const std::string& report, const ksr::ParsedReport& strict,
                     const std::vector<const ksr::ReportTransport*>& way) {
  std::vector<std::string> kinds;
  std::string bytes = ksr::ReportTransportApply(report, way, &kinds);
  std::vector<ksr::ParsedReport> got;
  std::string error;
  FuzzCheck(ksr::ReportRead(bytes, false, &got, &error));
  FuzzCheck(got.size() == 1 && ksr::ReportSameContent(got[0], ksr::ReportAfterTransport(strict, way)));
  std::sort(kinds.begin(), kinds.end());
  std::sort(got[0].Transport.begin(), got[0].Transport.end());
  FuzzCheck(got[0].Transport == kinds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<ksr::ParsedReport> tolerant, strict;
  std::string error;
  if (ksr::ReportRead(bytes, false, &tolerant, &error)) {
    FuzzCheck(!tolerant.empty());
    FuzzRender(tolerant);
  } else {
    FuzzCheck(FuzzKnownError(error));
  }
  if (!ksr::ReportRead(bytes, true, &strict, &error)) {
    FuzzCheck(error.compare(0, 5, "line ") == 0);
    return 0;
  }
  FuzzCheck(tolerant.size() == 1 && ksr::ReportSameContent(tolerant[0], strict[0]) && tolerant[0].Transport.empty());
  static const std::vector<std::vector<const ksr::ReportTransport*>> ways = ksr::ReportTransportWays();
  for (const auto& way : ways) {
    if (way.size() == 1) FuzzTransported(bytes, strict[0], way);
  }
  FuzzTransported(bytes, strict[0], ways[size % ways.size()]);
  return 0;
}
