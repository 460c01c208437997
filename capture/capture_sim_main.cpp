// ksreport-capture-sim MACHINE.json OUTDIR: the capture program over a
// simulated machine. Plays MACHINE.json through the report run with the
// recorder in between, leaving OUTDIR/ksreport-capture.txt and
// OUTDIR/ksreport-capture.json. Exit status as ksreport-sim's: 0 clean,
// 1 misuse (listed on stderr), 2 unreadable machine, 4 OUTDIR could not
// take the report or the capture (not a folder, not writable, a folder in
// the file's place; the file and the reason on stderr). A capture that the
// machine itself keeps from being written (its failing calls) is a clean
// run.
#include <cstdio>

#include "runner/sim_command_line.h"
#include "runner/sim_run.h"
#include "capture/capture_file.h"
#include "capture/capture_layer.h"
#include "ksreport_config.h"

namespace {

void CaptureSimWrite() {
  const ksr::CaptureProvenance provenance = {"ksreport-capture-sim", KSREPORT_VERSION, "sim"};
  ksr::CaptureWriteFile(provenance);
}

}  // namespace

int main(int argc, char** argv) {
  ksr::SimMachine machine;
  if (!ksr::SimCommandLine(argc, argv, "ksreport-capture-sim", &machine)) return 2;
  ksr::CaptureLayerInstall();
  ksr::SimRunResult run = ksr::SimRunReport(machine, argv[2], true, "ksreport-capture.exe", CaptureSimWrite);
  for (const std::string& line : run.misuse) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  bool written = ksr::SimRunOutputWritten("ksreport-capture-sim", run);
  if (!run.misuse.empty()) return 1;
  return written ? 0 : ksr::kSimRunOutputLost;
}
