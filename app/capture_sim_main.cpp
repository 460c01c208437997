// ksreport-capture-sim MACHINE.json OUTDIR: the capture program over a
// simulated machine. Plays MACHINE.json through the report run with the
// recorder in between, leaving OUTDIR/ksreport-capture.txt and
// OUTDIR/ksreport-capture.json. Exit status as ksreport-sim's: 0 clean,
// 1 misuse (listed on stderr), 2 unreadable machine.
#include <cstdio>

#include "app/run.h"
#include "app/sim_command_line.h"
#include "capture/capture_file.h"
#include "ksreport_config.h"
#include "platform/sim/sim.h"
#include "report/writer.h"
#include "store/arena.h"

int main(int argc, char** argv) {
  ksr::SimMachine machine;
  if (!ksr::SimCommandLine(argc, argv, "ksreport-capture-sim", &machine)) return 2;
  ksr::ReportWriterReset();
  ksr::SimStart(machine, argv[2], true, "ksreport-capture.exe");
  ksr::SimGuardRegion(ksr::ArenaStoreStart(), ksr::ArenaStoreEnd());
  ksr::RunReport();
  const ksr::CaptureProvenance provenance = {"ksreport-capture-sim", KSREPORT_VERSION, "sim"};
  ksr::CaptureWriteFile(provenance);
  ksr::SimFinish();
  for (const std::string& line : ksr::SimMisuse()) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  return ksr::SimMisuse().empty() ? 0 : 1;
}
