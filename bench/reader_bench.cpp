// How ksreport-read's triage scales: 100, 1,000 and 10,000 reports read
// through the intake into table rows, as separate files and as one file
// holding them all (a ticket export). The reports are those of the example
// machines, as they arrive: pristine, in a mail with LF line ends, quoted
// with console padding, and saved as UTF-16. Prints reports per second for
// each count (processor time); the time per report must not grow with the
// count. Reading one file of 10,000 reports (23 MB) steps up from 1,000
// as the file and its lines leave the processor's caches; past that the
// time per report stays flat.
//   ksreport-read-bench [SECONDS_PER_MEASUREMENT]
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reader/reader_intake.h"
#include "reader/reader_table.h"
#include "runner/sim_run.h"
#include "tests/report_transport.h"

namespace {

const char* const kBenchMachines[] = {"examples/typical-machine.json", "examples/pin-gates.json",
                                      "examples/data-ranges.json", "examples/interface-gates.json"};
const char* const kBenchWays[][2] = {{nullptr, nullptr},
                                     {"mail body", "LF line ends"},
                                     {"quoted \"> \"", "console padding"},
                                     {"UTF-16 little-endian", nullptr}};

// Every machine's report in every way it may arrive.
std::vector<std::string> BenchInputs() {
  std::vector<std::string> inputs;
  for (const char* path : kBenchMachines) {
    ksr::SimMachine machine;
    std::string error;
    if (!ksr::SimLoadMachineFile(std::string(KSREPORT_SOURCE_DIR) + "/" + path, &machine, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(2);
    }
    std::string report = ksr::SimRunReport(machine, "C:/bench", false).report;
    for (const auto& way : kBenchWays) {
      std::vector<const ksr::ReportTransport*> transports;
      for (const char* name : way) {
        if (name == nullptr) continue;
        transports.push_back(ksr::ReportTransportNamed(name));
        if (transports.back() == nullptr) {
          std::fprintf(stderr, "no transport %s\n", name);
          std::exit(2);
        }
      }
      std::vector<std::string> kinds;
      inputs.push_back(ksr::ReportTransportApply(report, transports, &kinds));
    }
  }
  return inputs;
}

// Reads the files into table rows, as --table does; the rows' pin count,
// so that nothing is optimised away.
size_t BenchRead(const std::vector<const std::string*>& files, size_t* reports) {
  std::vector<ksr::ReaderTableRow> rows;
  for (const std::string* file : files) {
    std::vector<ksr::ParsedReport> parsed;
    std::string error;
    if (!ksr::ReaderRead(*file, false, &parsed, &error)) {
      std::fprintf(stderr, "unreadable benchmark input: %s\n", error.c_str());
      std::exit(1);
    }
    for (const ksr::ParsedReport& r : parsed) rows.push_back(ksr::ReaderTableRowOf("bench.txt", r));
  }
  *reports = rows.size();
  size_t pins = ksr::ReaderTableText(rows).size();
  for (const ksr::ReaderTableRow& row : rows) pins += row.Pins;
  return pins;
}

// The best seconds per report over at least five runs and `seconds`, in
// the process's own processor time, which others' builds on a shared
// machine disturb less than the clock on the wall does.
double BenchMeasure(const std::vector<const std::string*>& files, double seconds, size_t* reports) {
  double best = 1e9, spent = 0;
  volatile size_t sink = 0;
  int runs = 0;
  while (spent < seconds || runs < 5) {
    std::clock_t start = std::clock();
    sink = sink + BenchRead(files, reports);
    double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    best = std::min(best, took / static_cast<double>(*reports));
    spent += took;
    ++runs;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
  std::vector<std::string> inputs = BenchInputs();
  size_t bytes = 0;
  for (const std::string& input : inputs) bytes += input.size();
  std::printf("%zu kinds of input, %zu bytes on average\n", inputs.size(), bytes / inputs.size());
  std::printf("%-10s %8s %14s %14s\n", "layout", "reports", "us/report", "reports/s");
  double first[2] = {0, 0}, last[2] = {0, 0};
  for (size_t count : {100, 1000, 10000}) {
    // Separate files are the inputs in turn, each read afresh as a file
    // would be; one file holds the mailed reports one after another, as a
    // ticket export does.
    std::vector<const std::string*> files;
    std::string joined;
    for (size_t i = 0; i < count; ++i) {
      files.push_back(&inputs[i % inputs.size()]);
      joined += inputs[1 + 4 * (i % (inputs.size() / 4))];
    }
    const char* layouts[] = {"files", "one file"};
    for (int layout = 0; layout < 2; ++layout) {
      size_t reports = 0;
      double perReport = BenchMeasure(layout == 0 ? files : std::vector<const std::string*>{&joined}, seconds, &reports);
      if (reports != count) {
        std::fprintf(stderr, "%s: read %zu reports of %zu\n", layouts[layout], reports, count);
        return 1;
      }
      std::printf("%-10s %8zu %14.2f %14.0f\n", layouts[layout], count, perReport * 1e6, 1.0 / perReport);
      if (count == 100) first[layout] = perReport;
      last[layout] = perReport;
    }
  }
  std::printf("time per report at 10,000 against 100: files %.2fx, one file %.2fx (1.00x is linear)\n",
              last[0] / first[0], last[1] / first[1]);
  std::printf("reading 10,000 reports: %.0f reports/s as files, %.0f reports/s from one file\n", 1.0 / last[0],
              1.0 / last[1]);
  return 0;
}
