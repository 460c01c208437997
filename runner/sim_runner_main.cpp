// ksreport-sim MACHINE.json OUTDIR: plays a machine file through one report
// run. Exit status: 0 clean, 1 misuse (listed on stderr), 2 unreadable
// machine (named on stderr; nothing run, no report), 3 the machine is a
// capture that was cut: the run is clean, but its report need not be the
// captured machine's (the reasons on stderr), 4 the report could not be
// written to OUTDIR (not a folder, or not writable; the file and the reason
// on stderr). Misuse comes before 4, and 4 before 3.
//
// ksreport-sim --explain [--full] [--json] MACHINE.json: plays it the same
// way, in memory, and prints why each device, interface, pin and data range
// was listed or left out (explain/); the same exit status.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "explain/explain_run.h"
#include "reader/reader_summary.h"
#include "runner/sim_command_line.h"
#include "runner/sim_run.h"

namespace {

int ExplainMain(int argc, char** argv) {
  bool json = false, full = false, bad = argc < 3;
  for (int i = 2; i + 1 < argc; ++i) {
    std::string option = argv[i];
    bool& flag = option == "--json" ? json : full;
    bad = bad || (option != "--json" && option != "--full") || flag;
    flag = true;
  }
  if (bad) {
    std::fprintf(stderr,
                 "usage: ksreport-sim MACHINE.json OUTDIR\n       ksreport-sim --explain [--full] [--json] MACHINE.json\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ksreport-sim: %s: cannot be read\n", path);
    return 2;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ksr::ExplainCommand("ksreport-sim", path, text.str(), json, !json && ksr::ReaderColourWanted(), full);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--explain") return ExplainMain(argc, argv);
  ksr::SimMachine machine;
  if (!ksr::SimCommandLine(argc, argv, "ksreport-sim", &machine)) return 2;
  ksr::SimRunResult result = ksr::SimRunReport(machine, argv[2], true);
  bool written = ksr::SimRunOutputWritten("ksreport-sim", result);
  int status = ksr::SimRunExitStatus("ksreport-sim", argv[1], machine, result.misuse, "report");
  return status != 1 && !written ? ksr::kSimRunOutputLost : status;
}
