// ksreport-read: reads reports for support staff.
//   ksreport-read REPORT...            readable summary of each report
//   ksreport-read --json REPORT...     the same as JSON
//   ksreport-read --diff OLD NEW       what changed between two reports
//   ksreport-read --version            the version, the same as the report's
// Exit status: 0 done (for --diff: no differences), 1 --diff found
// differences, 2 bad usage or a file that is not a well-formed report
// (the line and what was expected are named on stderr; nothing on stdout).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define KSR_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define KSR_ISATTY(fd) isatty(fd)
#endif

#include "ksreport_config.h"
#include "reader/report_view.h"

namespace {

bool Load(const std::string& path, ksr::ParsedReport* report) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ksreport-read: %s: cannot be read\n", path.c_str());
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string error;
  if (!ksr::ReportParse(bytes.str(), report, &error)) {
    std::fprintf(stderr, "ksreport-read: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: ksreport-read [--json] REPORT...\n       ksreport-read --diff OLD NEW\n       ksreport-read --version\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ksr::ReadOptions options;
  // Colour only on a terminal, and on Windows only where one says it takes it.
  options.colour = KSR_ISATTY(1) != 0 && std::getenv("NO_COLOR") == nullptr;
#if defined(_WIN32)
  options.colour = options.colour && (std::getenv("WT_SESSION") != nullptr || std::getenv("TERM") != nullptr);
#endif
  if (args.empty()) return Usage();
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("ksreport-read %s\n", KSREPORT_VERSION);
    return 0;
  }
  if (args[0] == "--diff") {
    if (args.size() != 3) return Usage();
    ksr::ParsedReport before, after;
    if (!Load(args[1], &before) || !Load(args[2], &after)) return 2;
    std::string diff = ksr::ReportDiff(before, after, options);
    std::fputs(diff.empty() ? "no differences\n" : diff.c_str(), stdout);
    return diff.empty() ? 0 : 1;
  }
  bool json = args[0] == "--json";
  if (json) args.erase(args.begin());
  if (args.empty()) return Usage();
  std::vector<std::pair<std::string, ksr::ParsedReport>> reports;
  for (const std::string& path : args) {
    if (path.size() > 1 && path[0] == '-') return Usage();
    ksr::ParsedReport report;
    if (!Load(path, &report)) return 2;
    reports.emplace_back(path, report);
  }
  // Everything is built before anything is printed: a bad file leaves
  // stdout empty.
  std::string out;
  if (json) {
    out = ksr::ReportJson(reports);
  } else {
    for (size_t i = 0; i < reports.size(); ++i) {
      out += (i ? "\n" : "") + ksr::ReportSummary(reports[i].first, reports[i].second, options);
    }
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}
