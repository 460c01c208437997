// Fuzz target: ksreport-read's parser and views over arbitrary bytes. A
// parsed report must render, and must show no difference from itself.
#include <cstdlib>
#include <string>

#include "reader/report_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ksr::ParsedReport report;
  std::string error;
  if (!ksr::ReportParse(bytes, &report, &error)) {
    if (error.compare(0, 5, "line ") != 0) std::abort();  // every error names its line
    return 0;
  }
  ksr::ReadOptions options;
  std::string summary = ksr::ReportSummary("fuzz.txt", report, options);
  std::string json = ksr::ReportJson({{"fuzz.txt", report}});
  if (summary.empty() || json.empty() || !ksr::ReportDiff(report, report, options).empty()) std::abort();
  return 0;
}
